#include "calendar/dates.h"

#include "calendar/build_info.h"
#include "common/translate.h"

#include <cstdio>

namespace global {
int monthLengths[13];
}

const char* const kMonthNames[13] = {"",
                                     N_("January"),
                                     N_("February"),
                                     N_("March"),
                                     N_("April"),
                                     N_("May"),
                                     N_("June"),
                                     N_("July"),
                                     N_("August"),
                                     N_("September"),
                                     N_("October"),
                                     N_("November"),
                                     N_("December")};
const char* const kWeekdayNames[8] = {
    "",           N_("Monday"),   N_("Tuesday"), N_("Wednesday"), N_("Thursday"),
    N_("Friday"), N_("Saturday"), N_("Sunday")};

namespace {

// French and Spanish write a month's name in lower case inside a sentence; the catalogue holds
// that form under this context, the plain name capitalised as a label or heading shows it.
constexpr const char* kInText = "in running text";
constexpr const char* kMonthNamesInText[13] = {"",
                                               NC_("in running text", "January"),
                                               NC_("in running text", "February"),
                                               NC_("in running text", "March"),
                                               NC_("in running text", "April"),
                                               NC_("in running text", "May"),
                                               NC_("in running text", "June"),
                                               NC_("in running text", "July"),
                                               NC_("in running text", "August"),
                                               NC_("in running text", "September"),
                                               NC_("in running text", "October"),
                                               NC_("in running text", "November"),
                                               NC_("in running text", "December")};

} // namespace

void fillMonthLengths() {
    static const int lengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 0; m <= 12; ++m)
        global::monthLengths[m] = lengths[m];
}

int isLeapYear(int year) {
    if (year % 4 != 0) return 0;
    if (year % 100 != 0) return 1;
    return (year / 100) % 4 == 0 ? 1 : 0;
}

// C++ integer division truncates toward zero, which the month term relies on for
// January and February.
DateNumber dateNumber(int month, int day, int year) {
    const int a = (month - 14) / 12;
    return (day - 32075) + (1461 * (year + 4800 + a)) / 4 + (367 * (month - 2 - 12 * a)) / 12 -
           (3 * ((year + 4900 + a) / 100)) / 4;
}

void calendarDate(DateNumber date, int& month, int& day, int& year) {
    int l = date + 68569;
    const int n = (4 * l) / 146097;
    l = l - (146097 * n + 3) / 4;
    const int i = (4000 * (l + 1)) / 1461001;
    l = l - (1461 * i) / 4 + 31;
    const int j = (80 * l) / 2447;
    day = l - (2447 * j) / 80;
    l = j / 11;
    month = j + 2 - 12 * l;
    year = 100 * (n - 49) + i + l;
}

int weekdayNumber(DateNumber date) {
    const int weekday = date % 7 + 1;
    return weekday == 0 ? 7 : weekday;
}

DateNumber weekdayOnOrBefore(DateNumber date, int weekday) {
    int offset = weekday - weekdayNumber(date);
    if (offset > 0) offset -= 7;
    return date + offset;
}

DateNumber buildDate() {
    // The Unix epoch is date number 2440588.
    return static_cast<DateNumber>(2440588 + kBuildEpochSeconds / 86400);
}

std::string buildDateText() {
    return isoDateText(buildDate());
}

std::string isoDateText(DateNumber date, const char* separator) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%s%02d%s%02d", year, separator, month, separator, day);
    return text;
}

std::string longDateText(DateNumber date) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    return std::string(kWeekdayNames[weekdayNumber(date)]) + " " + std::to_string(day) + " " +
           kMonthNames[month] + " " + std::to_string(year);
}

std::string monthNameInText(int month, Language language) {
    return translateInContext(language, kInText, kMonthNamesInText[month]);
}

std::string dayOfMonthIn(int day, Language language) {
    // TRANSLATORS: the first day of a month inside a date, "1er" in French.
    return day == 1 ? translateInContext(language, "day of the month", "1") : std::to_string(day);
}

std::string writtenDateIn(DateNumber date, Language language) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    // TRANSLATORS: a date without its weekday: %1 the day, %2 the month, %3 the year.
    const char* format = translateInContext(language, "date", "%1 %2 %3");
    return fillIn(format, {dayOfMonthIn(day, language), monthNameInText(month, language),
                           std::to_string(year)});
}

std::string longDateIn(DateNumber date, Language language) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    const std::string dayText = dayOfMonthIn(day, language);
    // TRANSLATORS: a date in running text: %1 the weekday, %2 the day, %3 the month, %4 the year.
    return fillIn(translateIn(language, "%1 %2 %3 %4"),
                  {translateIn(language, kWeekdayNames[weekdayNumber(date)]), dayText,
                   monthNameInText(month, language), std::to_string(year)});
}
