#pragma once
// Public holidays of the United States and Canada, computed from the rules of law for any year.
#include "calendar/dates.h"
#include "common/translate.h"

#include <string>
#include <vector>

enum HolidayCountry { NoHolidays = 0, UnitedStatesHolidays = 1, CanadaHolidays = 2 };

struct Holiday {
    DateNumber date;     // the day the law names
    DateNumber observed; // the working day taken instead when date is a day of rest; else date
    const char* name;    // in English; translateIn gives it in another language
    const char* key;     // stable identifier within the country, such as "christmas"
};

// The country's holidays whose date in law falls in the calendar year, in date order. An observed
// day may lie in a neighbouring year: a Saturday 1 January is observed on Friday 31 December.
std::vector<Holiday> holidaysOfYear(int country, int year);
// A holiday's name in a language. Canada's and the United States' Thanksgiving share an English
// name but not a French one: a name with a translation under the country's context takes it.
const char* holidayNameIn(const Holiday& holiday, int country, Language language);

// One marked day on a page: a holiday, or the day observed in its place.
struct HolidayMark {
    DateNumber day;
    // The holiday's name in the language asked for, followed by " (observed)" on an observed day.
    std::string label;
    // The day the law names: day itself, or the holiday's own day when day is observed for it.
    DateNumber lawDay;
    const char* name; // the holiday's name alone, in English
};

// Every marked day from first to last, both included, in date order; empty for NoHolidays.
std::vector<HolidayMark> holidayMarksBetween(int country, DateNumber first, DateNumber last,
                                             Language language = Language::English);

// Easter Sunday of the Gregorian calendar.
DateNumber easterSunday(int year);

// "us", "ca" or "none" (any case) to a country; -1 for any other text.
int holidayCountryOfCode(const std::string& code);
// "us", "ca" or "none".
const char* holidayCountryCode(int country);
// "United States", "Canada" or "None".
const char* holidayCountryName(int country);
