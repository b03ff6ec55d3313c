// libFuzzer entry: the leading-number rule gives what strtod gives for the same decimal prefix,
// except that beyond a double's range it reads the largest double (too large) or 0 (too small).
#include "common/numbers.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// The longest run that can hold the rule's numeric prefix: only decimal characters, so strtod
// can take no hexadecimal, "inf" or "nan" the rule does not know.
std::string decimalCandidate(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    std::string candidate;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) candidate += text[pos++];
    while (pos < text.size() &&
           std::string_view("0123456789.eE+-").find(text[pos]) != std::string_view::npos)
        candidate += text[pos++];
    return candidate;
}

void fail(const std::string& text, double value, double expected) {
    std::fprintf(stderr, "leadingNumber(\"%s\") = %.17g, strtod says %.17g\n", text.c_str(), value,
                 expected);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = leadingNumber(text);
    const std::string candidate = decimalCandidate(text);
    // A blank other than space or tab, or a sign without a number, gives 0 to both.
    double expected = std::strtod(candidate.c_str(), nullptr);
    if (std::isinf(expected)) expected = std::copysign(DBL_MAX, expected);
    if (std::isnan(value) || value != expected) fail(text, value, expected);
    const int flag = leadingFlag(text);
    if (flag != 0 && flag != 1) std::abort();
    if (leadingInteger(text) != roundHalfEven(value)) std::abort();
    return 0;
}
