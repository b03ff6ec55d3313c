#include "calendar/broadcast.h"

#include <cstdio>

BroadcastYearTable broadcastYearTable(int year) {
    // The table is filled on first use too, so the calendar core works without a main window.
    if (global::monthLengths[1] == 0) fillMonthLengths();
    BroadcastYearTable table{};
    table.firstDay = weekdayOnOrBefore(dateNumber(1, 1, year), Monday);
    DateNumber previousEnd = table.firstDay - 1;
    for (int m = 1; m <= 12; ++m) {
        const int length = m == 2 ? 28 + isLeapYear(year) : global::monthLengths[m];
        table.monthStart[m] = previousEnd + 1;
        table.monthEnd[m] = weekdayOnOrBefore(dateNumber(m, length, year), Sunday);
        previousEnd = table.monthEnd[m];
    }
    return table;
}

void broadcastMonthBounds(int month, int year, DateNumber& start, DateNumber& end) {
    start = weekdayOnOrBefore(dateNumber(month, 1, year), Monday);
    const int nextMonth = month == 12 ? 1 : month + 1;
    const int nextYear = month == 12 ? year + 1 : year;
    end = weekdayOnOrBefore(dateNumber(nextMonth, 1, nextYear) - 1, Sunday);
}

int weeksInBroadcastMonth(int month, int year) {
    DateNumber start = 0, end = 0;
    broadcastMonthBounds(month, year, start, end);
    return (end - start + 1) / 7;
}

int weeksInTableMonth(const BroadcastYearTable& table, int month) {
    return (table.monthEnd[month] - table.monthStart[month] + 1) / 7;
}

int broadcastMonthOfDate(DateNumber date, int& year) {
    const DateNumber sunday = date + (7 - weekdayNumber(date));
    int month = 0, day = 0;
    calendarDate(sunday, month, day, year);
    return month;
}

int weekNumber(const BroadcastYearTable& table, DateNumber monday) {
    return (monday + 6 - table.firstDay + 1) / 7;
}

std::string quarterLabel(const BroadcastYearTable& table, int month, DateNumber monday) {
    const int quarter = (month + 2) / 3;
    const int firstMonth = 3 * quarter - 2;
    const int week = (monday - table.monthStart[firstMonth]) / 7 + 1;
    char text[24];
    std::snprintf(text, sizeof text, "%dQ%02d", quarter, week);
    return text;
}

std::string quarterLabelIn(const std::string& label, Language language) {
    const std::size_t letter = label.find('Q');
    if (letter == std::string::npos) return label;
    // TRANSLATORS: a week's quarter designation, "4Q06": %1 the quarter (1 to 4), %2 the week
    // within it (01 to 14); the letter is the language's word for quarter ("T" for trimestre).
    return fillIn(translateInContext(language, "quarter designation", "%1Q%2"),
                  {label.substr(0, letter), label.substr(letter + 1)});
}

BroadcastDay broadcastDayOf(DateNumber date) {
    BroadcastDay place{};
    place.weekStart = weekdayOnOrBefore(date, Monday);
    place.weekEnd = place.weekStart + 6;
    place.month = broadcastMonthOfDate(date, place.year);
    const BroadcastYearTable table = broadcastYearTable(place.year);
    place.week = weekNumber(table, place.weekStart);
    place.quarterWeek = quarterLabel(table, place.month, place.weekStart);
    place.monthStart = table.monthStart[place.month];
    place.monthEnd = table.monthEnd[place.month];
    return place;
}

std::string broadcastDayLine(DateNumber date, const BroadcastDay& place, Language language) {
    // TRANSLATORS: %1 the date, %2 its week, %3 the quarter week, %4 the broadcast year, %5 and
    // %6 the week's first and last days, %7 the month's name in running text, %8 and %9 its
    // first and last days.
    return fillIn(translateIn(language, "%1: week %2 (%3) of broadcast year %4, %5 to %6; "
                                        "broadcast %7 %4, %8 to %9"),
                  {isoDateText(date), std::to_string(place.week),
                   quarterLabelIn(place.quarterWeek, language), std::to_string(place.year),
                   isoDateText(place.weekStart), isoDateText(place.weekEnd),
                   monthNameInText(place.month, language), isoDateText(place.monthStart),
                   isoDateText(place.monthEnd)});
}
