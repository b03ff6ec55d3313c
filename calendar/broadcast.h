#pragma once
#include "calendar/dates.h"

#include <string>

// The broadcast calendar of one year: every month runs from a Monday to its last Sunday.
struct BroadcastYearTable {
    DateNumber monthStart[13];
    DateNumber monthEnd[13];
    DateNumber firstDay;
};

namespace global {
// Describes the year most recently passed to computeBroadcastYear.
extern BroadcastYearTable broadcastYear;
} // namespace global

void computeBroadcastYear(int year);
void broadcastMonthBounds(int month, int year, DateNumber& start, DateNumber& end);
int weeksInBroadcastMonth(int month, int year);
int weeksInTableMonth(int month);
int broadcastMonthOfDate(DateNumber date, int& year);
int weekNumber(DateNumber monday);
std::string quarterLabel(int month, DateNumber monday);
