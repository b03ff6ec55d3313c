#include "calendar/broadcast.h"
#include "render/layouts/layouts.h"
#include "render/layouts/month_block.h"
#include "render/primitives.h"

#include <string>
#include <vector>

namespace {
constexpr int kPageWidth = 612;
constexpr int kPageHeight = 792;
constexpr int kLeftX = 72;
constexpr int kRightX = 540;
constexpr int kCentreX = kPageWidth / 2;
// Right edges of the day columns, Monday first; entry 1 anchors the week column.
constexpr int kColumnEdges[9] = {0, 78, 150, 214, 278, 342, 406, 470, 534};
constexpr int kTitleTopRuleY = 26;
constexpr int kTitleY = 39;
constexpr int kTitleBottomRuleY = 41;
constexpr float kTitleRuleWidth = 0.5f;
constexpr float kBoxRuleWidth = 0.3f;
constexpr float kHeadingRuleWidth = 0.1f;
// The box sides take the rule width to an integer: 0, the thinnest line a viewer draws.
constexpr int kBoxSideWidth = 0;
constexpr int kFirstBandY = 75;
constexpr int kBandPitch = 225;
constexpr int kRowStep = 31;
constexpr int kBoxBottomGap = 12;
// The quarter label lengthens the week label, so its right edge moves right.
constexpr int kWeekLabelX = 94;
constexpr int kQuarterWeekLabelX = 122;
constexpr int kFooterY = 748;
constexpr int kTitleSize = 16;
constexpr int kSmallestTitleSize = 10;
constexpr int kFooterSize = 9;

// One boxed month grid under its heading, whose baseline is top.
void drawMonthBand(GenerationRequest& request, const BroadcastYearTable& table, int month, int year,
                   int top) {
    const DrawingState& drawing = request.drawing;
    HPDF_Page page = drawing.page;
    const int weeks = weeksInTableMonth(table, month);
    const std::string star = weeks == 5 ? "*" : "";
    const std::string heading =
        star + monthName(request, month) + " " + std::to_string(year) + star;
    drawText(page, heading, kCentreX, top, drawing.boldFont, 18, AlignCentre);
    const int boxTop = top + 4;
    drawRule(page, kLeftX, kRightX, boxTop, kBlack, kBoxRuleWidth);

    const int headingY = top + 17;
    setFillColour(page, kRed);
    drawText(page, translateIn(request.calendar.language, "Wk#"), kColumnEdges[1], headingY,
             drawing.boldObliqueFont, 10, AlignLeft);
    setFillColour(page, kBlack);
    for (int weekday = Monday; weekday <= Sunday; ++weekday) {
        drawText(page, weekdayAbbreviation(request, weekday), kColumnEdges[weekday + 1], headingY,
                 drawing.boldFont, 12, AlignRight);
    }
    drawRule(page, kLeftX + 5, kRightX - 5, top + 19, kBlack, kHeadingRuleWidth);

    const int labelX = request.calendar.showQuarterWeeks ? kQuarterWeekLabelX : kWeekLabelX;
    int y = top + 19;
    DateNumber date = table.monthStart[month];
    const std::vector<HolidayMark> holidays = holidayMarks(request, date, date + 7 * weeks - 1);
    for (int row = 1; row <= weeks; ++row) {
        y += kRowStep;
        for (int weekday = Monday; weekday <= Sunday; ++weekday) {
            int dateMonth = 0, day = 0, dateYear = 0;
            calendarDate(date, dateMonth, day, dateYear);
            if (weekday == Monday) {
                setFillColour(page, kRed);
                drawText(page, weekLabel(request, table, month, date), labelX, y,
                         drawing.boldObliqueFont, 13, AlignRight);
                setFillColour(page, kBlack);
            }
            const HPDF_Font font = dayFont(drawing, dateMonth);
            drawDayNumber(page, day, kColumnEdges[weekday + 1], y, font, 18,
                          isHoliday(holidays, date));
            ++date;
        }
    }
    const int boxBottom = y + kBoxBottomGap;
    drawRule(page, kLeftX, kRightX, boxBottom, kBlack, kBoxRuleWidth);
    drawLine(page, kLeftX, boxTop, kLeftX, boxBottom, kBoxSideWidth);
    drawLine(page, kRightX, boxTop, kRightX, boxBottom, kBoxSideWidth);
}
} // namespace

// Three consecutive broadcast months on a portrait Letter page; the page may run into the
// next year, whose months then follow that year's broadcast calendar.
void drawQuarterPage(GenerationRequest& request, int firstMonth) {
    // Only calendar months start a page; any other number would read past the month tables.
    if (firstMonth < 1 || firstMonth > 12) return;
    const DrawingState& drawing = request.drawing;
    HPDF_Page page = addLayoutPage(request, HPDF_PAGE_SIZE_LETTER, HPDF_PAGE_PORTRAIT);
    // Later pages of the same document keep the geometry of the first.
    if (request.drawing.pageWidth == 0)
        setPageGeometry(request.drawing, kPageWidth, kPageHeight, kLeftX, kRightX);

    drawRule(page, kLeftX, kRightX, kTitleTopRuleY, kBlack, kTitleRuleWidth);
    const std::string title =
        spacedTitle(translateIn(request.calendar.language, "STANDARD BROADCAST CALENDAR"));
    drawText(page, title, kCentreX, kTitleY, drawing.boldFont,
             fittingSize(drawing.boldFont, kTitleSize, kSmallestTitleSize, title, kRightX - kLeftX),
             AlignCentre);
    drawRule(page, kLeftX, kRightX, kTitleBottomRuleY, kBlack, kTitleRuleWidth);

    int month = firstMonth;
    int year = request.calendar.year;
    BroadcastYearTable table = request.broadcastYear;
    int top = kFirstBandY;
    for (int band = 1; band <= 3; ++band) {
        drawMonthBand(request, table, month, year, top);
        ++month;
        if (month > 12) {
            month = 1;
            ++year;
            table = broadcastYearTable(year);
        }
        top += kBandPitch;
    }

    drawFiveWeekNote(request, kLeftX, kFooterY, kFooterSize);
    drawCredit(request, kRightX, kFooterY, kFooterSize, AlignRight,
               static_cast<float>(kRightX - kLeftX) - fiveWeekNoteRoom(request, kFooterSize));
    drawLogo(request);
}
