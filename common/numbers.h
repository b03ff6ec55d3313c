#pragma once
#include <string_view>

double leadingNumber(std::string_view text);
int roundHalfEven(double value);
int leadingInteger(std::string_view text);
int leadingFlag(std::string_view text);
