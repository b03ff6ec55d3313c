// Holidays by the rules of law, year by year; nothing is looked up in a table of dates.
//
// United States: the legal public holidays of 5 U.S.C. 6103, each from the year federal law
// made it a holiday.
//   New Year's Day, Independence Day, Christmas Day      1 January, 4 July, 25 December
//   Birthday of Martin Luther King, Jr.                  third Monday of January, from 1986
//   Washington's Birthday                                22 February; third Monday of February
//                                                        from 1971
//   Memorial Day                                         30 May; last Monday of May from 1971
//   Juneteenth National Independence Day                 19 June, from 2021
//   Labor Day                                            first Monday of September, from 1894
//   Columbus Day                                         12 October from 1937; second Monday
//                                                        of October from 1971
//   Armistice Day, named Veterans Day from 1954          11 November from 1938; fourth Monday
//                                                        of October 1971 to 1977
//   Thanksgiving Day                                     last Thursday of November to 1938;
//                                                        the Thursday before it 1939 to 1941,
//                                                        as proclaimed (some states kept the
//                                                        last); fourth Thursday from 1942
// Observed days follow the rule in force since 1971: a Saturday holiday is observed on the
// Friday before, a Sunday one on the Monday after. Earlier years rested on other orders and show
// no observed day. Inauguration Day, a holiday only around Washington, is not marked.
//
// Canada: the general holidays of the Canada Labour Code, each from the year federal law made it
// a holiday.
//   New Year's Day, Good Friday, Christmas Day           1 January, two days before Easter,
//                                                        25 December
//   Victoria Day                                         24 May (25 May when the 24th is a
//                                                        Sunday); the Monday before 25 May
//                                                        from 1952
//   Dominion Day, named Canada Day from 1983             1 July; 2 July when the 1st is a
//                                                        Sunday
//   Labour Day                                           first Monday of September, from 1894
//   National Day for Truth and Reconciliation            30 September, from 2021
//   Thanksgiving Day                                     second Monday of October, from 1957
//                                                        (earlier dates were proclaimed year
//                                                        by year and are not marked)
//   Remembrance Day                                      11 November, from 1931
//   Boxing Day                                           26 December, from 1965, the first
//                                                        year of the Code's general holidays
// Easter Monday is not a general holiday of the Code and is not marked. Observed days follow the
// federal public service, from 1967: a holiday on a Saturday or Sunday moves to the next working
// day that is not already a holiday, so Christmas on a Sunday is observed on Monday 26 December
// and Boxing Day then on Tuesday 27 December.
#include "calendar/holidays.h"

#include "common/translate.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr int kUnitedStatesObservedFrom = 1971;
constexpr int kCanadaObservedFrom = 1967;

DateNumber lastDayOfMonth(int month, int year) {
    if (month == 12) return dateNumber(1, 1, year + 1) - 1;
    return dateNumber(month + 1, 1, year) - 1;
}

// The nth given weekday of a month, n from 1.
DateNumber nthWeekday(int month, int year, int weekday, int n) {
    const DateNumber first = dateNumber(month, 1, year);
    const int ahead = (weekday - weekdayNumber(first) + 7) % 7;
    return first + ahead + 7 * (n - 1);
}

DateNumber lastWeekday(int month, int year, int weekday) {
    return weekdayOnOrBefore(lastDayOfMonth(month, year), weekday);
}

bool isRestDay(DateNumber date) {
    return weekdayNumber(date) >= Saturday;
}

void add(std::vector<Holiday>& list, DateNumber date, const char* name, const char* key) {
    list.push_back({date, date, name, key});
}

DateNumber unitedStatesThanksgiving(int year) {
    if (year >= 1942) return nthWeekday(11, year, Thursday, 4);
    const DateNumber last = lastWeekday(11, year, Thursday);
    return year >= 1939 ? last - 7 : last;
}

std::vector<Holiday> unitedStatesHolidays(int year) {
    std::vector<Holiday> list;
    const bool mondayHolidays = year >= 1971;
    add(list, dateNumber(1, 1, year), N_("New Year's Day"), "new-year");
    if (year >= 1986)
        add(list, nthWeekday(1, year, Monday, 3), N_("Birthday of Martin Luther King, Jr."),
            "king");
    add(list, mondayHolidays ? nthWeekday(2, year, Monday, 3) : dateNumber(2, 22, year),
        N_("Washington's Birthday"), "washington");
    add(list, mondayHolidays ? lastWeekday(5, year, Monday) : dateNumber(5, 30, year),
        N_("Memorial Day"), "memorial");
    if (year >= 2021)
        add(list, dateNumber(6, 19, year), N_("Juneteenth National Independence Day"),
            "juneteenth");
    add(list, dateNumber(7, 4, year), N_("Independence Day"), "independence");
    if (year >= 1894) add(list, nthWeekday(9, year, Monday, 1), N_("Labor Day"), "labor");
    if (year >= 1937)
        add(list, mondayHolidays ? nthWeekday(10, year, Monday, 2) : dateNumber(10, 12, year),
            N_("Columbus Day"), "columbus");
    if (year >= 1938) {
        const bool octoberMonday = year >= 1971 && year <= 1977;
        add(list, octoberMonday ? nthWeekday(10, year, Monday, 4) : dateNumber(11, 11, year),
            year >= 1954 ? N_("Veterans Day") : N_("Armistice Day"), "veterans");
    }
    add(list, unitedStatesThanksgiving(year), NC_("United States", "Thanksgiving Day"),
        "thanksgiving");
    add(list, dateNumber(12, 25, year), N_("Christmas Day"), "christmas");
    if (year < kUnitedStatesObservedFrom) return list;
    for (Holiday& holiday : list) {
        if (weekdayNumber(holiday.date) == Saturday) holiday.observed = holiday.date - 1;
        if (weekdayNumber(holiday.date) == Sunday) holiday.observed = holiday.date + 1;
    }
    return list;
}

// Each holiday on a day of rest takes the next working day no earlier holiday has taken; a
// holiday whose own working day an earlier one took moves on in the same way.
void moveToWorkingDays(std::vector<Holiday>& list) {
    std::vector<DateNumber> taken;
    for (Holiday& holiday : list) {
        DateNumber day = holiday.observed;
        while (isRestDay(day) || std::find(taken.begin(), taken.end(), day) != taken.end())
            ++day;
        holiday.observed = day;
        taken.push_back(day);
    }
}

std::vector<Holiday> canadaHolidays(int year) {
    std::vector<Holiday> list;
    add(list, dateNumber(1, 1, year), N_("New Year's Day"), "new-year");
    add(list, easterSunday(year) - 2, N_("Good Friday"), "good-friday");
    if (year >= 1952) {
        add(list, weekdayOnOrBefore(dateNumber(5, 24, year), Monday), N_("Victoria Day"),
            "victoria");
    } else {
        add(list, dateNumber(5, 24, year), N_("Victoria Day"), "victoria");
        if (weekdayNumber(list.back().date) == Sunday) list.back().observed += 1;
    }
    add(list, dateNumber(7, 1, year), year >= 1983 ? N_("Canada Day") : N_("Dominion Day"),
        "canada");
    // The statute itself keeps a Sunday 1 July on the 2nd.
    if (weekdayNumber(list.back().date) == Sunday) list.back().observed += 1;
    if (year >= 1894) add(list, nthWeekday(9, year, Monday, 1), N_("Labour Day"), "labour");
    if (year >= 2021)
        add(list, dateNumber(9, 30, year), N_("National Day for Truth and Reconciliation"),
            "truth-reconciliation");
    if (year >= 1957)
        add(list, nthWeekday(10, year, Monday, 2), N_("Thanksgiving Day"), "thanksgiving");
    if (year >= 1931) add(list, dateNumber(11, 11, year), N_("Remembrance Day"), "remembrance");
    add(list, dateNumber(12, 25, year), N_("Christmas Day"), "christmas");
    if (year >= 1965) add(list, dateNumber(12, 26, year), N_("Boxing Day"), "boxing");
    if (year >= kCanadaObservedFrom) moveToWorkingDays(list);
    return list;
}

// "%1 (observed)": French says a day taken earlier (a Saturday holiday's Friday) otherwise than
// one taken later.
const char* observedLabel(const Holiday& holiday, Language language) {
    if (holiday.observed < holiday.date)
        return translateInContext(language, "observed earlier", "%1 (observed)");
    return translateIn(language, "%1 (observed)");
}

} // namespace

// The Gregorian computus in its anonymous form (Meeus); every division truncates, every operand
// is positive.
DateNumber easterSunday(int year) {
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return dateNumber(month, day, year);
}

std::vector<Holiday> holidaysOfYear(int country, int year) {
    if (country == UnitedStatesHolidays) return unitedStatesHolidays(year);
    if (country == CanadaHolidays) return canadaHolidays(year);
    return {};
}

std::vector<HolidayMark> holidayMarksBetween(int country, DateNumber first, DateNumber last,
                                             Language language) {
    std::vector<HolidayMark> marks;
    if (country != UnitedStatesHolidays && country != CanadaHolidays) return marks;
    int firstMonth = 0, day = 0, firstYear = 0, lastMonth = 0, lastYear = 0;
    calendarDate(first, firstMonth, day, firstYear);
    calendarDate(last, lastMonth, day, lastYear);
    // An observed day can lie a few days into the year before or after its holiday's.
    for (int year = firstYear - 1; year <= lastYear + 1; ++year) {
        for (const Holiday& holiday : holidaysOfYear(country, year)) {
            const char* name = holidayNameIn(holiday, country, language);
            if (holiday.date >= first && holiday.date <= last)
                marks.push_back({holiday.date, name, holiday.date, holiday.name});
            if (holiday.observed != holiday.date && holiday.observed >= first &&
                holiday.observed <= last)
                marks.push_back({holiday.observed, fillIn(observedLabel(holiday, language), {name}),
                                 holiday.date, holiday.name});
        }
    }
    std::stable_sort(marks.begin(), marks.end(),
                     [](const HolidayMark& a, const HolidayMark& b) { return a.day < b.day; });
    return marks;
}

int holidayCountryOfCode(const std::string& code) {
    std::string lower;
    for (const char c : code)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int country = NoHolidays; country <= CanadaHolidays; ++country)
        if (lower == holidayCountryCode(country)) return country;
    return -1;
}

const char* holidayCountryCode(int country) {
    if (country == UnitedStatesHolidays) return "us";
    if (country == CanadaHolidays) return "ca";
    return "none";
}

const char* holidayCountryName(int country) {
    if (country == UnitedStatesHolidays) return "United States";
    if (country == CanadaHolidays) return "Canada";
    return "None";
}

const char* holidayNameIn(const Holiday& holiday, int country, Language language) {
    if (country == UnitedStatesHolidays) {
        const char* found = translateInContext(language, "United States", holiday.name);
        if (found != holiday.name) return found;
    }
    return translateIn(language, holiday.name);
}
