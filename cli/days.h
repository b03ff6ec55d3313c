#pragma once
// The date table of merivane-cli days: one row per day of a range of broadcast years.
#include "common/translate.h"

#include <string>

// Writes the table of the broadcast years firstYear to lastYear to descriptor as CSV with a
// header row, or as a JSON array with one object a line. Rows are made and written in chunks, so
// memory stays the same for any range. A holiday country (HolidayCountry) adds a last column,
// "holiday", with the names of the day's holidays and observed days. False, with the reason in
// plain words, when a write fails. The names of months, weekdays and holidays are in the language
// given; everything else is the same in every language.
bool writeDayTable(int firstYear, int lastYear, bool json, int holidays, int descriptor,
                   std::string& error, Language language = Language::English);
