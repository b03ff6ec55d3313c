#include "render/layouts/month_block.h"

#include "calendar/broadcast.h"
#include "render/layouts/layouts.h"
#include "render/primitives.h"

#include <string>

namespace {
// Underlines sit a little below the baseline and thicken with the digits.
int underlineDrop(int size) {
    return size / 10 + 1;
}
float underlineWidth(int size) {
    return static_cast<float>(size) / 20.0f;
}
} // namespace

std::vector<HolidayMark> holidayMarks(const GenerationRequest& request, DateNumber first,
                                      DateNumber last) {
    return holidayMarksBetween(request.calendar.holidays, first, last, request.calendar.language);
}

bool isHoliday(const std::vector<HolidayMark>& marks, DateNumber day) {
    for (const HolidayMark& mark : marks)
        if (mark.day == day) return true;
    return false;
}

void drawDayNumber(HPDF_Page page, int day, int x, int y, HPDF_Font font, int size, bool holiday) {
    const std::string text = std::to_string(day);
    if (!holiday) {
        drawText(page, text, x, y, font, size, AlignRight);
        return;
    }
    setFillColour(page, kRed);
    drawText(page, text, x, y, font, size, AlignRight);
    setFillColour(page, kBlack);
    const int width = static_cast<int>(textWidth(font, size, text) + 0.5f);
    drawRule(page, x - width, x, y + underlineDrop(size), kRed, underlineWidth(size));
}

HPDF_Font dayFont(const DrawingState& drawing, int calendarMonth) {
    return calendarMonth % 2 == 0 ? drawing.boldFont : drawing.regularFont;
}

std::string weekLabel(const GenerationRequest& request, const BroadcastYearTable& table, int month,
                      DateNumber monday) {
    std::string label = std::to_string(weekNumber(table, monday));
    if (request.calendar.showQuarterWeeks)
        label +=
            "/" + quarterLabelIn(quarterLabel(table, month, monday), request.calendar.language);
    return label;
}

void drawWeekdayHeading(GenerationRequest& request, int leftX, int y, const int offsets[8],
                        int size) {
    HPDF_Page page = request.drawing.page;
    drawRule(page, leftX, leftX + offsets[7], y - 6, kBlack, 0.1f);
    drawRule(page, leftX, leftX + offsets[7], y + 1, kBlack, 0.1f);
    for (int weekday = Monday; weekday <= Sunday; ++weekday) {
        drawText(page, weekdayShortName(request, weekday), leftX + offsets[weekday], y,
                 request.drawing.boldObliqueFont, size, AlignRight);
    }
}

DateNumber drawWeekRow(DateNumber monday, GenerationRequest& request,
                       const BroadcastYearTable& table, int leftX, int y, const int offsets[8],
                       int size, int labelX) {
    HPDF_Page page = request.drawing.page;
    int month = 0, day = 0, year = 0;
    const std::vector<HolidayMark> holidays = holidayMarks(request, monday, monday + 6);
    for (int weekday = Monday; weekday <= Sunday; ++weekday) {
        const DateNumber date = monday + weekday - 1;
        calendarDate(date, month, day, year);
        drawDayNumber(page, day, leftX + offsets[weekday], y, dayFont(request.drawing, month), size,
                      isHoliday(holidays, date));
    }
    const int style = request.calendar.style;
    if (style == Year || style == ThreeYears) {
        std::string label = std::to_string(weekNumber(table, monday));
        // month now holds the calendar month of the week's Sunday.
        if (request.calendar.showQuarterWeeks)
            label +=
                "-" + quarterLabelIn(quarterLabel(table, month, monday), request.calendar.language);
        setFillColour(page, kRed);
        drawText(page, label, labelX, y, request.drawing.boldObliqueFont, size - 1, AlignRight);
        setFillColour(page, kBlack);
    }
    return monday + 7;
}
