#pragma once
#include "calendar/date_number.h"

// The broadcast calendar of one year: every month runs from a Monday to its last Sunday.
struct BroadcastYearTable {
    DateNumber monthStart[13];
    DateNumber monthEnd[13];
    DateNumber firstDay;
};
