#include "calendar/broadcast.h"
#include "render/layouts/layouts.h"
#include "render/layouts/month_block.h"
#include "render/primitives.h"

#include <string>

namespace {
constexpr int kPageWidth = 612;
constexpr int kPageHeight = 792;
constexpr int kLeftX = 72;
constexpr int kRightX = 540;
constexpr int kCentreX = kPageWidth / 2;
constexpr int kColumns = 3;
constexpr int kColumnLeftX[kColumns + 1] = {0, 76, 256, 436};
constexpr int kColumnHeadingX[kColumns + 1] = {0, 126, 306, 486};
// Right edges of the day columns from a block's left edge, Monday first.
constexpr int kDayOffsets[8] = {0, 8, 24, 40, 56, 72, 88, 104};
constexpr int kWeekLabelGap = 8;
constexpr int kTitleInset = 80;
constexpr int kTitleY = 30;
constexpr float kTitleRuleWidth = 0.7f;
constexpr float kWeekdayRuleWidth = 0.2f;
constexpr int kRowStep = 9;
constexpr int kFooterY = 760;
constexpr int kTitleSize = 12;
constexpr int kSmallestTitleSize = 8;
constexpr int kFooterSize = 7;

// One year's twelve months stacked in the given column (1 to 3); table is that year's broadcast
// calendar.
void drawYearColumn(GenerationRequest& request, const BroadcastYearTable& table, int column,
                    int year, int top) {
    const DrawingState& drawing = request.drawing;
    HPDF_Page page = drawing.page;
    const int leftX = kColumnLeftX[column];
    const int headingX = kColumnHeadingX[column];
    const int labelX = leftX - kWeekLabelGap;

    int y = top;
    setFillColour(page, kRed);
    drawText(page, std::to_string(year), headingX, y, drawing.boldFont, 14, AlignCentre);
    setFillColour(page, kBlack);
    y += kRowStep;

    for (int month = 1; month <= 12; ++month) {
        const int weeks = weeksInTableMonth(table, month);
        const std::string star = weeks == 5 ? "*" : "";
        drawText(page, star + monthName(request, month) + star, headingX, y, drawing.boldFont, 9,
                 AlignCentre);
        if (month == 1) {
            setFillColour(page, kRed);
            drawText(page, translateIn(request.calendar.language, "Wk#"), labelX, y,
                     drawing.boldFont, 8, AlignRight);
            setFillColour(page, kBlack);
        }
        y += 6;
        drawRule(page, leftX, leftX + kDayOffsets[7], y + 1, kBlack, kWeekdayRuleWidth);
        for (int weekday = Monday; weekday <= Sunday; ++weekday) {
            drawText(page, weekdayShortName(request, weekday), leftX + kDayOffsets[weekday], y,
                     drawing.boldObliqueFont, 6, AlignRight);
        }
        DateNumber monday = table.monthStart[month];
        for (int row = 1; row <= weeks; ++row) {
            y += kRowStep;
            monday = drawWeekRow(monday, request, table, leftX, y, kDayOffsets, 9, labelX);
        }
        y += 13;
    }
}
} // namespace

// Three consecutive broadcast years side by side on a portrait Letter page. Each column follows
// the broadcast calendar of its own year, so week numbers restart at 1.
void drawThreeYearPage(GenerationRequest& request) {
    const DrawingState& drawing = request.drawing;
    HPDF_Page page = addLayoutPage(request, HPDF_PAGE_SIZE_LETTER, HPDF_PAGE_PORTRAIT);
    setPageGeometry(request.drawing, kPageWidth, kPageHeight, kLeftX, kRightX);

    int y = kTitleY;
    drawRule(page, kLeftX + kTitleInset, kRightX - kTitleInset, y - 11, kBlack, kTitleRuleWidth);
    drawRule(page, kLeftX + kTitleInset, kRightX - kTitleInset, y + 2, kBlack, kTitleRuleWidth);
    const std::string title =
        translateIn(request.calendar.language, "THREE YEAR STANDARD BROADCAST CALENDAR");
    drawText(page, title, kCentreX, y, drawing.boldFont,
             fittingSize(drawing.boldFont, kTitleSize, kSmallestTitleSize, title,
                         kRightX - kLeftX - 2 * kTitleInset),
             AlignCentre);

    const int columnTop = y + 16;
    int year = request.calendar.year;
    BroadcastYearTable table = request.broadcastYear;
    for (int column = 1; column <= kColumns; ++column) {
        drawYearColumn(request, table, column, year, columnTop);
        ++year;
        table = broadcastYearTable(year);
    }

    drawFiveWeekNote(request, kLeftX, kFooterY, kFooterSize);
    drawCredit(request, kRightX, kFooterY, kFooterSize, AlignRight,
               static_cast<float>(kRightX - kLeftX) - fiveWeekNoteRoom(request, kFooterSize));
    drawLogo(request);
}
