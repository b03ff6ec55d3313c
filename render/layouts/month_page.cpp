#include "calendar/broadcast.h"
#include "common/numbers.h"
#include "render/layouts/layouts.h"
#include "render/layouts/month_block.h"
#include "render/primitives.h"

#include <string>
#include <vector>

namespace {
constexpr int kPageWidth = 792;
constexpr int kPageHeight = 612;
constexpr int kLeftX = 72;
constexpr int kRightX = 720;
constexpr int kCentreX = kPageWidth / 2;
constexpr int kHeadingY = 36;
constexpr int kSubtitleY = 51;
constexpr int kGridTopY = 54;
constexpr int kSubtitleSize = 12;
constexpr int kAccentedSubtitleSize = 11;
constexpr int kWeekdayNameY = 67;
constexpr int kFirstRowY = 70;
constexpr int kGridBottomY = 576;
constexpr int kFooterY = 583;
constexpr float kRuleWidth = 0.3f;
// The column rules take the rule width to an integer: 0, the thinnest line a viewer draws.
constexpr int kColumnLineWidth = 0;
constexpr int kDayInsetX = 3;
constexpr int kWeekLabelInsetX = 2;
// Holiday names stand under the day number, right-aligned with it, as many lines as they need.
constexpr int kHolidayNameSize = 9;
constexpr int kHolidayNameDrop = 14;
constexpr int kHolidayNameStep = 10;
constexpr int kFooterSize = 8;

// Column i (Monday = 1) lies between edges[i] and edges[i + 1]; the widths step by a 32-bit
// real, so the columns differ by a point here and there.
void buildColumnEdges(int edges[9]) {
    const float step = static_cast<float>(kRightX - kLeftX) / 7.0f;
    float x = static_cast<float>(kLeftX);
    for (int column = 1; column <= 7; ++column) {
        edges[column] = roundHalfEven(x);
        x += step;
    }
    edges[8] = kRightX;
}

// Breaks a name into lines no wider than width, at blanks; a single word wider stays whole.
std::vector<std::string> wrappedLines(const std::string& text, HPDF_Font font, int size,
                                      float width) {
    std::vector<std::string> lines;
    std::string line, word;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        word = text.substr(start, end - start);
        start = end + 1;
        const std::string longer = line.empty() ? word : line + " " + word;
        if (line.empty() || textWidth(font, size, longer) <= width) {
            line = longer;
            continue;
        }
        lines.push_back(line);
        line = word;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// The names of the day's holidays under its number, in red like the number.
void drawHolidayNames(const DrawingState& drawing, const std::vector<HolidayMark>& marks,
                      DateNumber date, int rightX, int dayY, float width) {
    int y = dayY + kHolidayNameDrop;
    setFillColour(drawing.page, kRed);
    for (const HolidayMark& mark : marks) {
        if (mark.day != date) continue;
        for (const std::string& line :
             wrappedLines(mark.label, drawing.regularFont, kHolidayNameSize, width)) {
            drawText(drawing.page, line, rightX, y, drawing.regularFont, kHolidayNameSize,
                     AlignRight);
            y += kHolidayNameStep;
        }
    }
    setFillColour(drawing.page, kBlack);
}

} // namespace

// One broadcast month as a wall-calendar grid on a landscape Letter page.
void drawMonthPage(GenerationRequest& request, int month) {
    // Only calendar months have a page; any other number would read past the month tables.
    if (month < 1 || month > 12) return;
    const DrawingState& drawing = request.drawing;
    HPDF_Page page = addLayoutPage(request, HPDF_PAGE_SIZE_LETTER, HPDF_PAGE_LANDSCAPE);
    // Later pages of the same document keep the geometry of the first.
    if (request.drawing.pageWidth == 0)
        setPageGeometry(request.drawing, kPageWidth, kPageHeight, kLeftX, kRightX);

    int edges[9] = {};
    buildColumnEdges(edges);
    const DateNumber firstMonday = request.broadcastYear.monthStart[month];
    const int weeks = weeksInTableMonth(request.broadcastYear, month);
    const bool fiveWeeks = weeks == 5;

    std::string heading = monthName(request, month) + " " + std::to_string(request.calendar.year);
    if (fiveWeeks) heading += "*";
    drawText(page, heading, kCentreX, kHeadingY, drawing.boldFont, 20, AlignCentre);
    const std::string subtitle =
        translateIn(request.calendar.language, "STANDARD BROADCAST CALENDAR");
    // An accent over a capital would touch the heading's descenders at the full size.
    drawText(page, subtitle, kCentreX, kSubtitleY, drawing.boldFont,
             hasAccentedCapital(subtitle) ? kAccentedSubtitleSize : kSubtitleSize, AlignCentre);
    drawRule(page, kLeftX, kRightX, kGridTopY, kBlack, kRuleWidth);
    for (int edge = 1; edge <= 8; ++edge)
        drawLine(page, edges[edge], kGridTopY, edges[edge], kGridBottomY, kColumnLineWidth);
    for (int weekday = Monday; weekday <= Sunday; ++weekday) {
        const int centre = edges[weekday] + (edges[weekday + 1] - edges[weekday]) / 2;
        drawText(page, weekdayName(request, weekday), centre, kWeekdayNameY, drawing.boldFont, 14,
                 AlignCentre);
    }

    const double rowHeight = static_cast<double>(kGridBottomY - kFirstRowY) / weeks;
    int rowTops[6] = {};
    int y = kFirstRowY;
    for (int row = 1; row <= weeks; ++row) {
        rowTops[row] = y;
        drawRule(page, kLeftX, kRightX, y, kBlack, kRuleWidth);
        y += roundHalfEven(rowHeight);
    }
    drawRule(page, kLeftX, kRightX, kGridBottomY, kBlack, kRuleWidth);

    const int weekLabelDrop = roundHalfEven(rowHeight - 2.0);
    const std::vector<HolidayMark> holidays =
        holidayMarks(request, firstMonday, firstMonday + 7 * weeks - 1);
    DateNumber date = firstMonday;
    for (int row = 1; row <= weeks; ++row) {
        const int dayY = roundHalfEven(rowTops[row] + 19.5);
        for (int column = 1; column <= 7; ++column) {
            int dateMonth = 0, day = 0, dateYear = 0;
            calendarDate(date, dateMonth, day, dateYear);
            const HPDF_Font font = dayFont(drawing, dateMonth);
            const int dayX = edges[column + 1] - kDayInsetX;
            const bool holiday = isHoliday(holidays, date);
            drawDayNumber(page, day, dayX, dayY, font, 20, holiday);
            if (holiday)
                drawHolidayNames(
                    drawing, holidays, date, dayX, dayY,
                    static_cast<float>(edges[column + 1] - edges[column] - 2 * kDayInsetX));
            if (column == 1) {
                setFillColour(page, kRed);
                drawText(page, weekLabel(request, request.broadcastYear, month, date),
                         edges[1] + kWeekLabelInsetX, rowTops[row] + weekLabelDrop,
                         drawing.boldFont, 14, AlignLeft);
                setFillColour(page, kBlack);
            }
            ++date;
        }
    }

    if (fiveWeeks) drawFiveWeekNote(request, edges[1], kFooterY, kFooterSize);
    drawCredit(request, edges[8], kFooterY, kFooterSize, AlignRight,
               static_cast<float>(edges[8] - edges[1]) - fiveWeekNoteRoom(request, kFooterSize));
    drawLogo(request);
}
