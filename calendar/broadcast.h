#pragma once
#include "calendar/broadcast_table.h"
#include "calendar/dates.h"
#include "common/translate.h"

#include <string>

// The broadcast calendar of a year.
BroadcastYearTable broadcastYearTable(int year);
int weeksInTableMonth(const BroadcastYearTable& table, int month);
// The week's number in the table's broadcast year, and its quarter label ("4Q14").
int weekNumber(const BroadcastYearTable& table, DateNumber monday);
std::string quarterLabel(const BroadcastYearTable& table, int month, DateNumber monday);
// A quarter label as a language writes it on pages and in running text: "4Q06", "4T06" for
// trimestre. The CSV and JSON of scripts keep the label as it is.
std::string quarterLabelIn(const std::string& label, Language language);

void broadcastMonthBounds(int month, int year, DateNumber& start, DateNumber& end);
int weeksInBroadcastMonth(int month, int year);
int broadcastMonthOfDate(DateNumber date, int& year);

// Where one day falls in the broadcast calendar.
struct BroadcastDay {
    int year;  // broadcast year, which for the last days of December may be the next one
    int month; // broadcast month, 1 to 12
    int week;  // week number within the broadcast year, 1 to 53
    std::string quarterWeek;
    DateNumber weekStart, weekEnd;
    DateNumber monthStart, monthEnd;
};

BroadcastDay broadcastDayOf(DateNumber date);
// The day's place in one line, in the language given: "2026-11-04: week 45 (4Q06) of broadcast
// year 2026, 2026-11-02 to 2026-11-08; broadcast November 2026, 2026-10-26 to 2026-11-29".
std::string broadcastDayLine(DateNumber date, const BroadcastDay& place, Language language);
