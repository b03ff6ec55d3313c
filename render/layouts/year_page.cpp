#include "render/layouts/layouts.h"

#include "calendar/broadcast.h"
#include "common/numbers.h"
#include "render/layouts/month_block.h"
#include "render/primitives.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kPageWidth = 612;
constexpr int kPageHeight = 792;
constexpr int kLeftEdge = 54;
constexpr int kRightEdge = 540;
constexpr int kLeftBlockX = 54;
constexpr int kRightBlockX = 378;
// Width of a month block, from its left edge to the right edge of its Sunday column.
constexpr int kBlockWidth = 175;
constexpr int kLeftWeekLabelX = 280;
constexpr int kRightWeekLabelX = 345;
// Quarter labels lengthen the right column's week labels, so they move right into the gap.
constexpr int kRightQuarterWeekLabelX = 363;
constexpr int kRowStep = 13;
constexpr int kFirstBandY = 126;
constexpr int kTitleRuleLeft = 154;
constexpr int kTitleRuleRight = 458;
constexpr int kTitleRuleTopY = 49;
constexpr int kTitleRuleBottomY = 61;
constexpr int kTitleY = 60;
constexpr int kYearY = 96;
constexpr int kFooterY = 748;
constexpr int kFooterSize = 7;
constexpr int kBandHeadingSize = 12;
constexpr int kWeekdaySize = 8;
constexpr int kDaySize = 12;
constexpr int kTitleSize = 12;
constexpr int kSmallestTitleSize = 8;

// Seven columns spread evenly from 13 to 175 points; entry i is rounded before the i-th step.
void buildDayColumns(int offsets[8]) {
    const double first = 13.0;
    const double step = (kBlockWidth - first) / 6.0;
    double x = first;
    offsets[0] = 0;
    for (int i = 1; i <= 7; ++i) {
        offsets[i] = roundHalfEven(x);
        x += step;
    }
}

// A five-week month carries a star straight after its name.
std::string monthHeading(const GenerationRequest& request, const BroadcastYearTable& table,
                         int month) {
    std::string heading = monthName(request, month);
    if (weeksInTableMonth(table, month) == 5) heading += "*";
    return heading;
}

void drawMonthHeading(GenerationRequest& request, int month, int blockX, int y) {
    HPDF_Page page = request.drawing.page;
    HPDF_Font bold = request.drawing.boldFont;
    drawText(page, monthHeading(request, request.broadcastYear, month), blockX, y, bold,
             kBandHeadingSize, AlignLeft);
    drawText(page, std::to_string(request.calendar.year), blockX + kBlockWidth, y, bold,
             kBandHeadingSize, AlignRight);
}

} // namespace

void drawYearPage(GenerationRequest& request) {
    const DrawingState& drawing = request.drawing;
    HPDF_Page page = addLayoutPage(request, HPDF_PAGE_SIZE_LETTER, HPDF_PAGE_PORTRAIT);
    setPageGeometry(request.drawing, kPageWidth, kPageHeight, kLeftEdge, kRightEdge);

    int offsets[8];
    buildDayColumns(offsets);

    drawRule(page, kTitleRuleLeft, kTitleRuleRight, kTitleRuleTopY, kBlack, 0.7f);
    drawRule(page, kTitleRuleLeft, kTitleRuleRight, kTitleRuleBottomY, kBlack, 0.7f);
    const std::string title =
        spacedTitle(translateIn(request.calendar.language, "STANDARD BROADCAST CALENDAR"));
    const int titleSize = fittingSize(drawing.boldFont, kTitleSize, kSmallestTitleSize, title,
                                      kTitleRuleRight - kTitleRuleLeft);
    drawText(page, title, drawing.centreX, kTitleY, drawing.boldFont, titleSize, AlignCentre);
    setFillColour(page, kRed);
    drawText(page, std::to_string(request.calendar.year), drawing.centreX, kYearY, drawing.boldFont,
             40, AlignCentre);
    setFillColour(page, kBlack);

    const int rightLabelX =
        request.calendar.showQuarterWeeks ? kRightQuarterWeekLabelX : kRightWeekLabelX;
    const BroadcastYearTable& table = request.broadcastYear;
    int y = kFirstBandY;
    // Each band pairs a month of the first half-year with the month six later.
    for (int leftMonth = 1; leftMonth <= 6; ++leftMonth) {
        const int rightMonth = leftMonth + 6;
        y += kRowStep;
        const int leftWeeks = weeksInTableMonth(table, leftMonth);
        const int rightWeeks = weeksInTableMonth(table, rightMonth);
        drawMonthHeading(request, leftMonth, kLeftBlockX, y + 2);
        drawMonthHeading(request, rightMonth, kRightBlockX, y + 2);
        if (leftMonth == 1) {
            const std::string week = translateIn(request.calendar.language, "Wk");
            drawText(page, week, kLeftWeekLabelX, y, drawing.boldObliqueFont, 11, AlignRight);
            drawText(page, week, kRightWeekLabelX, y, drawing.boldObliqueFont, 11, AlignRight);
        }

        y += kRowStep;
        drawWeekdayHeading(request, kLeftBlockX, y, offsets, kWeekdaySize);
        drawWeekdayHeading(request, kRightBlockX, y, offsets, kWeekdaySize);

        y += kRowStep;
        DateNumber leftMonday = table.monthStart[leftMonth];
        DateNumber rightMonday = table.monthStart[rightMonth];
        const int rows = std::max(leftWeeks, rightWeeks);
        for (int row = 1; row <= rows; ++row) {
            if (row <= leftWeeks)
                leftMonday = drawWeekRow(leftMonday, request, table, kLeftBlockX, y, offsets,
                                         kDaySize, kLeftWeekLabelX);
            if (row <= rightWeeks)
                rightMonday = drawWeekRow(rightMonday, request, table, kRightBlockX, y, offsets,
                                          kDaySize, rightLabelX);
            y += kRowStep;
        }
    }

    drawFiveWeekNote(request, kLeftEdge, kFooterY, kFooterSize);
    drawCredit(request, kRightEdge, kFooterY, kFooterSize, AlignRight,
               static_cast<float>(kRightEdge - kLeftEdge) - fiveWeekNoteRoom(request, kFooterSize));
    drawLogo(request);
}
