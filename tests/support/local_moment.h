#pragma once
// Fixed moments for tests that set the program's clock.
#include <ctime>

// Noon of the day in local time.
inline std::time_t localMoment(int year, int month, int day) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    return std::mktime(&local);
}
