#include "program/program.h"

#include <cstdio>

namespace global {
std::string programIcon;
DateNumber today;
std::time_t (*currentTime)() = [] { return std::time(nullptr); };
} // namespace global

std::string localDateText() {
    const std::time_t now = global::currentTime();
    std::tm local{};
    localtime_r(&now, &local);
    char text[48];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", local.tm_mon + 1, local.tm_mday,
                  local.tm_year + 1900);
    return text;
}
