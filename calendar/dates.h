#pragma once
#include "calendar/date_number.h"
#include "common/translate.h"

#include <string>

enum Weekday { Monday = 1, Tuesday, Wednesday, Thursday, Friday, Saturday, Sunday };

namespace global {
// Month lengths of a common year, indexed 1 to 12, once fillMonthLengths has run. February
// stays 28: the broadcast year table adds a leap year's day itself.
extern int monthLengths[13];
} // namespace global

void fillMonthLengths();
int isLeapYear(int year);
DateNumber dateNumber(int month, int day, int year);
void calendarDate(DateNumber date, int& month, int& day, int& year);
int weekdayNumber(DateNumber date);
DateNumber weekdayOnOrBefore(DateNumber date, int weekday);
std::string buildDateText();
// The day the program was built.
DateNumber buildDate();
// YYYY-MM-DD; with an empty separator the basic form YYYYMMDD.
std::string isoDateText(DateNumber date, const char* separator = "-");
// "Monday 26 October 2026".
std::string longDateText(DateNumber date);
// The same date written in running text in a language: "lundi 1er juin 2026",
// "lunes 1 de junio de 2026".
std::string longDateIn(DateNumber date, Language language);
// A day of the month inside a date in a language: "1er" for the first in French.
std::string dayOfMonthIn(int day, Language language);
// A date without its weekday, as a sentence writes it: "7 December 2026", "7 décembre 2026",
// "7 de diciembre de 2026".
std::string writtenDateIn(DateNumber date, Language language);
// A month's name as it stands inside a sentence: "March", "mars", "marzo".
std::string monthNameInText(int month, Language language);

// English names, indexed 1 to 12 and 1 (Monday) to 7 (Sunday); entry 0 is empty.
extern const char* const kMonthNames[13];
extern const char* const kWeekdayNames[8];
