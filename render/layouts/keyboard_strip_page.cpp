#include "calendar/broadcast.h"
#include "render/layouts/layouts.h"
#include "render/layouts/month_block.h"
#include "render/primitives.h"

#include <string>

namespace {
// The recorded width stays 4 points short of the Legal page the strips are drawn on.
constexpr int kPageWidth = 1004;
constexpr int kPageHeight = 612;
constexpr int kLeftX = 29;
constexpr int kRightX = 968;
constexpr int kStrips = 9;
// The strips start low enough to leave the logo a box above them at a quarter inch from the
// paper's edge, and keep a cutting gap between them.
constexpr int kFirstStripY = 80;
constexpr int kStripPitch = 57;
// The credit line under the last strip, on the right margin.
constexpr int kFooterY = 592;
constexpr int kFooterSize = 7;
constexpr int kMonthPitch = 79;
// Right edges of the day columns from a block's left edge, Monday first.
constexpr int kDayOffsets[8] = {0, 10, 20, 30, 40, 50, 60, 70};
constexpr int kRowStep = 7;
constexpr float kHairlineWidth = 0.1f;
// The week row draws no label on this page, so its position is never used.
constexpr int kNoWeekLabelX = 0;

// The twelve month blocks of one strip whose name line stands at top.
void drawStrip(GenerationRequest& request, int top) {
    const DrawingState& drawing = request.drawing;
    HPDF_Page page = drawing.page;
    const std::string year = std::to_string(request.calendar.year);
    int leftX = kLeftX;
    for (int month = 1; month <= 12; ++month) {
        int y = top;
        const int weeks = weeksInTableMonth(request.broadcastYear, month);
        std::string name = monthName(request, month);
        if (weeks == 5) name += "*";
        drawText(page, name, leftX, y, drawing.boldFont, 7, AlignLeft);
        drawText(page, year, leftX + kDayOffsets[7], y, drawing.boldFont, 7, AlignRight);
        y += kRowStep;
        drawRule(page, leftX, leftX + kDayOffsets[7], y + 1, kBlack, kHairlineWidth);
        for (int weekday = Monday; weekday <= Sunday; ++weekday)
            drawText(page, weekdayInitial(request, weekday), leftX + kDayOffsets[weekday], y,
                     drawing.regularFont, 6, AlignRight);
        DateNumber monday = request.broadcastYear.monthStart[month];
        for (int row = 1; row <= weeks; ++row) {
            y += kRowStep;
            monday = drawWeekRow(monday, request, request.broadcastYear, leftX, y, kDayOffsets, 7,
                                 kNoWeekLabelX);
        }
        leftX += kMonthPitch;
    }
}
} // namespace

// Nine identical twelve-month strips on a landscape Legal page, to be cut apart.
void drawKeyboardStripPage(GenerationRequest& request) {
    addLayoutPage(request, HPDF_PAGE_SIZE_LEGAL, HPDF_PAGE_LANDSCAPE);
    setPageGeometry(request.drawing, kPageWidth, kPageHeight, kLeftX, kRightX);

    int top = kFirstStripY;
    for (int strip = 1; strip <= kStrips; ++strip) {
        drawStrip(request, top);
        top += kStripPitch;
    }
    drawCredit(request, kRightX, kFooterY, kFooterSize, AlignRight,
               static_cast<float>(kRightX - kLeftX));
    drawLogo(request);
}
