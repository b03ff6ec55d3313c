#include "common/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

// Whether a number from_chars found out of range is too small for a double rather than too
// large: the decimal exponent of its first significant digit decides. number holds digits with
// an optional point, then an optional exponent.
bool isBelowRange(std::string_view number) {
    std::size_t pos = 0;
    long long integerDigits = 0, zerosAfterPoint = 0;
    bool significant = false;
    while (pos < number.size() && number[pos] >= '0' && number[pos] <= '9') {
        significant = significant || number[pos] != '0';
        if (significant) ++integerDigits;
        ++pos;
    }
    if (pos < number.size() && number[pos] == '.') ++pos;
    while (!significant && pos < number.size() && number[pos] == '0') {
        ++zerosAfterPoint;
        ++pos;
    }
    while (pos < number.size() && number[pos] >= '0' && number[pos] <= '9')
        ++pos;
    const long long magnitude = integerDigits > 0 ? integerDigits - 1 : -(zerosAfterPoint + 1);
    long long exponent = 0;
    if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
        ++pos;
        const bool negative = pos < number.size() && number[pos] == '-';
        if (pos < number.size() && (number[pos] == '-' || number[pos] == '+')) ++pos;
        const auto result =
            std::from_chars(number.data() + pos, number.data() + number.size(), exponent);
        // Beyond half the range an exponent only matters by its sign.
        constexpr long long kLargestExponent = std::numeric_limits<long long>::max() / 2;
        if (result.ec == std::errc::result_out_of_range || exponent > kLargestExponent)
            exponent = kLargestExponent;
        if (negative) exponent = -exponent;
    }
    // Both parts are bounded by the text's length or half the range, so the sum cannot wrap.
    return magnitude + exponent < 0;
}

} // namespace

// The longest numeric prefix of a text gives its value: leading blanks and one sign are
// allowed, then digits with an optional fraction and exponent; anything after that is
// ignored, and a text without digits reads as 0. Parsing never depends on the locale.
double leadingNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // from_chars would also take "inf" and "nan"; only digits and a point may start a number.
    if (pos >= text.size()) return 0.0;
    const char first = text[pos];
    const bool startsNumber =
        (first >= '0' && first <= '9') ||
        (first == '.' && pos + 1 < text.size() && text[pos + 1] >= '0' && text[pos + 1] <= '9');
    if (!startsNumber) return 0.0;
    double value = 0.0;
    const char* begin = text.data() + pos;
    const auto result = std::from_chars(begin, text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // A number too large for a double still reads as the largest one; one too small to be
        // told from zero reads as 0.
        if (isBelowRange(std::string_view(begin, static_cast<std::size_t>(result.ptr - begin))))
            return 0.0;
        value = std::numeric_limits<double>::max();
    } else if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

// Halves go to the even neighbour; values beyond the int range are clamped.
int roundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(std::nearbyint(value));
}

int leadingInteger(std::string_view text) {
    return roundHalfEven(leadingNumber(text));
}

int leadingFlag(std::string_view text) {
    return leadingInteger(text) & 1;
}
