#include "common/numbers.h"
#include "common/text.h"

#include <climits>
#include <clocale>
#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(LeadingNumber, TakesTheLongestNumericPrefix) {
    EXPECT_EQ(leadingNumber("2025"), 2025);
    EXPECT_EQ(leadingNumber("  42abc"), 42);
    EXPECT_EQ(leadingNumber("\t 42"), 42);
    EXPECT_EQ(leadingNumber("-3.5 points"), -3.5);
    EXPECT_EQ(leadingNumber("+7"), 7);
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("1e3x"), 1000);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("-"), 0);
    EXPECT_EQ(leadingNumber("inf"), 0);
    EXPECT_EQ(leadingNumber("nan"), 0);
    EXPECT_EQ(leadingNumber("."), 0);
}

TEST(LeadingNumber, IgnoresTheLocale) {
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed (setup.sh makes it)";
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(leadingNumber("2.5"), 2.5);
    EXPECT_EQ(leadingNumber("2,5"), 2);
    std::setlocale(LC_NUMERIC, "C");
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(19.5 + 70), 90);
    EXPECT_EQ(roundHalfEven(101.2), 101);
    EXPECT_EQ(roundHalfEven(1e30), INT_MAX);
    EXPECT_EQ(roundHalfEven(-1e30), INT_MIN);
}

TEST(LeadingFlag, LowestBitOfTheRoundedNumber) {
    EXPECT_EQ(leadingFlag("1"), 1);
    EXPECT_EQ(leadingFlag("3"), 1);
    EXPECT_EQ(leadingFlag("2"), 0);
    EXPECT_EQ(leadingFlag(" 1 "), 1);
    EXPECT_EQ(leadingFlag("abc"), 0);
    EXPECT_EQ(leadingFlag("0.6"), 1);
    EXPECT_EQ(leadingFlag("99999999999999999999"), 1);
    EXPECT_EQ(leadingInteger("1e400"), INT_MAX);
}

// Beyond a double's range the direction decides: too large reads as the largest double, too
// small to tell from zero reads as 0, whatever way the magnitude is spelt.
TEST(LeadingNumber, OutOfRangeGoesTheRightWay) {
    const double largest = std::numeric_limits<double>::max();
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"1e400", largest},
        {"-1e400", -largest},
        {"1e-400", 0},
        {"-1e-400", 0},
        {"0.0001e-340", 0},
        {"123456e-400", 0},
        {"0.000001e315", largest},
        {"1e-99999999999999999999", 0},
        {"1e99999999999999999999", largest},
        {"60e9223372036854775807", largest},
        {"1e-9223372036854775807", 0},
        {"000000001e-400x", 0},
        {"1e-300", 1e-300},
        {"4e-320", 4e-320},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadingNumber(c.text), c.value) << c.text;
    EXPECT_EQ(leadingFlag("1e-400"), 0);
    EXPECT_EQ(leadingFlag("3e-400"), 0);
}

} // namespace

namespace {

TEST(TextHelpers, TrimAndSplitKeepWhatIsBetween) {
    EXPECT_EQ(trimBlanks(" \t a b \t"), "a b");
    EXPECT_EQ(trimBlanks("\t a \t", " "), "\t a \t");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(splitText("a||b", '|'), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitText("", ','), (std::vector<std::string>{""}));
    EXPECT_EQ(splitText("x,", ','), (std::vector<std::string>{"x", ""}));
}

} // namespace
