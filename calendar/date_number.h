#pragma once
#include <cstdint>

// Date numbers are Julian Day Numbers: 1 January 2000 is 2451545.
using DateNumber = std::int32_t;
