#pragma once
#include <charconv>
#include <string_view>

double leadingNumber(std::string_view text);
int roundHalfEven(double value);
int leadingInteger(std::string_view text);
int leadingFlag(std::string_view text);

// A whole text of decimal digits and nothing else (no sign, blanks or trailing text) that fits
// the number; false, and the number unspecified, otherwise.
template <typename Number> bool parseWholeNumber(std::string_view text, Number& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}
