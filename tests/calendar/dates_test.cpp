#include "calendar/dates.h"

#include <gtest/gtest.h>

namespace {

TEST(DateNumbers, KnownDatesAndWeekdays) {
    EXPECT_EQ(dateNumber(1, 1, 2000), 2451545);
    EXPECT_EQ(weekdayNumber(2451545), Saturday);
    EXPECT_EQ(dateNumber(1, 1, 2024), 2460311);
    EXPECT_EQ(weekdayNumber(2460311), Monday);
    // January and February take the negative month term.
    EXPECT_EQ(dateNumber(1, 15, 2025), 2460691);
    int month = 0, day = 0, year = 0;
    calendarDate(2460691, month, day, year);
    EXPECT_EQ(month, 1);
    EXPECT_EQ(day, 15);
    EXPECT_EQ(year, 2025);
}

TEST(DateNumbers, LeapDaysOfCenturyYears) {
    EXPECT_EQ(dateNumber(3, 1, 2000) - dateNumber(2, 28, 2000), 2);
    EXPECT_EQ(dateNumber(3, 1, 1900) - dateNumber(2, 28, 1900), 1);
    EXPECT_EQ(isLeapYear(2000), 1);
    EXPECT_EQ(isLeapYear(1900), 0);
    EXPECT_EQ(isLeapYear(2024), 1);
    EXPECT_EQ(isLeapYear(2023), 0);
    EXPECT_EQ(isLeapYear(2400), 1);
}

TEST(DateNumbers, OutOfRangeDaysRollOver) {
    EXPECT_EQ(dateNumber(3, 0, 2024), dateNumber(2, 29, 2024));
    EXPECT_EQ(dateNumber(1, 32, 2024), dateNumber(2, 1, 2024));
}

// Walks every day from 1920 to 9999 against an independent day-by-day calendar.
TEST(DateNumbers, ConversionsAreExactInversesFrom1920To9999) {
    static const int lengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    DateNumber expected = dateNumber(1, 1, 1920);
    int expectedWeekday = weekdayNumber(expected);
    int failures = 0;
    for (int year = 1920; year <= 9999 && failures < 5; ++year) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        for (int month = 1; month <= 12; ++month) {
            const int length = lengths[month] + (month == 2 && leap ? 1 : 0);
            for (int day = 1; day <= length; ++day) {
                int m = 0, d = 0, y = 0;
                calendarDate(expected, m, d, y);
                if (dateNumber(month, day, year) != expected || m != month || d != day ||
                    y != year || weekdayNumber(expected) != expectedWeekday) {
                    ADD_FAILURE() << year << "-" << month << "-" << day;
                    ++failures;
                }
                ++expected;
                expectedWeekday = expectedWeekday % 7 + 1;
            }
        }
    }
    EXPECT_EQ(expected, dateNumber(1, 1, 10000));
}

TEST(DateNumbers, WeekdayOnOrBefore) {
    const DateNumber wednesday = dateNumber(1, 3, 2024);
    ASSERT_EQ(weekdayNumber(wednesday), Wednesday);
    EXPECT_EQ(weekdayOnOrBefore(wednesday, Monday), wednesday - 2);
    EXPECT_EQ(weekdayOnOrBefore(wednesday, Sunday), wednesday - 3);
    EXPECT_EQ(weekdayOnOrBefore(wednesday, Wednesday), wednesday);
    EXPECT_EQ(weekdayOnOrBefore(wednesday, Thursday), wednesday - 6);
}

TEST(DateNumbers, BuildDateReadsAsYearMonthDay) {
    const std::string text = buildDateText();
    ASSERT_EQ(text.size(), 10u) << text;
    EXPECT_EQ(text[4], '-');
    EXPECT_EQ(text[7], '-');
    const int year = std::stoi(text.substr(0, 4));
    EXPECT_GE(year, 2026);
    const int month = std::stoi(text.substr(5, 2));
    EXPECT_TRUE(month >= 1 && month <= 12);
}

} // namespace
