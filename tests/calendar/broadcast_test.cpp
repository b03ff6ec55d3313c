#include "calendar/broadcast.h"
#include "calendar/ics.h"

#include <gtest/gtest.h>
#include <string>

namespace {

int monthOf(DateNumber date) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    return month;
}

int dayOf(DateNumber date) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    return day;
}

std::string fiveWeekMonths(int year) {
    const BroadcastYearTable table = broadcastYearTable(year);
    std::string names;
    for (int m = 1; m <= 12; ++m)
        if (weeksInTableMonth(table, m) == 5)
            names += std::string(names.empty() ? "" : ",") + kMonthNames[m];
    return names;
}

TEST(BroadcastYear, TableInvariantsHoldFrom1920To9999) {
    DateNumber previousYearEnd = 0;
    for (int year = 1920; year <= 9999; ++year) {
        const BroadcastYearTable table = broadcastYearTable(year);
        ASSERT_EQ(weekdayNumber(table.firstDay), Monday) << year;
        ASSERT_EQ(table.monthStart[1], table.firstDay) << year;
        ASSERT_LE(table.firstDay, dateNumber(1, 1, year)) << year;
        ASSERT_GT(table.firstDay + 7, dateNumber(1, 1, year)) << year;
        if (previousYearEnd) {
            ASSERT_EQ(table.firstDay, previousYearEnd + 1) << year;
        }
        for (int m = 1; m <= 12; ++m) {
            const int days = table.monthEnd[m] - table.monthStart[m] + 1;
            ASSERT_TRUE(days == 28 || days == 35) << year << "/" << m;
            if (m > 1) {
                ASSERT_EQ(table.monthStart[m], table.monthEnd[m - 1] + 1) << year << "/" << m;
            }
            ASSERT_EQ(weekdayNumber(table.monthEnd[m]), Sunday);
            // The month ends on the last Sunday of its calendar month.
            ASSERT_EQ(monthOf(table.monthEnd[m]), m) << year << "/" << m;
            ASSERT_NE(monthOf(table.monthEnd[m] + 7), m) << year << "/" << m;
            DateNumber start = 0, end = 0;
            broadcastMonthBounds(m, year, start, end);
            ASSERT_EQ(start, table.monthStart[m]) << year << "/" << m;
            ASSERT_EQ(end, table.monthEnd[m]) << year << "/" << m;
            ASSERT_EQ(weeksInBroadcastMonth(m, year), days / 7) << year << "/" << m;
        }
        const int weeks = (table.monthEnd[12] - table.firstDay + 1) / 7;
        ASSERT_TRUE(weeks == 52 || weeks == 53) << year;
        previousYearEnd = table.monthEnd[12];
    }
}

TEST(BroadcastYear, Year2024StartsOnNewYearsDay) {
    const BroadcastYearTable t = broadcastYearTable(2024);
    EXPECT_EQ(t.firstDay, dateNumber(1, 1, 2024));
    EXPECT_EQ(t.monthEnd[1], dateNumber(1, 28, 2024));
    EXPECT_EQ(t.monthStart[2], dateNumber(1, 29, 2024));
    EXPECT_EQ(t.monthEnd[2], dateNumber(2, 25, 2024));
    EXPECT_EQ(t.monthStart[3], dateNumber(2, 26, 2024));
    EXPECT_EQ(t.monthEnd[3], dateNumber(3, 31, 2024));
    EXPECT_EQ(t.monthStart[4], dateNumber(4, 1, 2024));
    EXPECT_EQ(t.monthEnd[4], dateNumber(4, 28, 2024));
    EXPECT_EQ(t.monthStart[12], dateNumber(11, 25, 2024));
    EXPECT_EQ(t.monthEnd[12], dateNumber(12, 29, 2024));
    EXPECT_EQ((t.monthEnd[12] - t.firstDay + 1) / 7, 52);
}

TEST(BroadcastYear, LateDecemberBelongsToTheNextYear) {
    const BroadcastYearTable t = broadcastYearTable(2025);
    EXPECT_EQ(t.firstDay, dateNumber(12, 30, 2024));
    EXPECT_EQ(t.monthStart[12], dateNumber(12, 1, 2025));
    EXPECT_EQ(t.monthEnd[12], dateNumber(12, 28, 2025));
    int year = 0;
    EXPECT_EQ(broadcastMonthOfDate(dateNumber(12, 29, 2025), year), 1);
    EXPECT_EQ(year, 2026);
    EXPECT_EQ(broadcastMonthOfDate(dateNumber(12, 28, 2025), year), 12);
    EXPECT_EQ(year, 2025);
    EXPECT_EQ(broadcastMonthOfDate(dateNumber(12, 31, 2025), year), 1);
    EXPECT_EQ(year, 2026);
}

TEST(BroadcastYear, FiveWeekMonthsFollowTheLastSunday) {
    EXPECT_EQ(fiveWeekMonths(2024), "March,June,September,December");
    EXPECT_EQ(fiveWeekMonths(2025), "March,June,August,November");
    // 31 October 2026 is a Saturday, so October ends on the 25th and November has five weeks.
    EXPECT_EQ(weekdayNumber(dateNumber(10, 31, 2026)), Saturday);
    EXPECT_EQ(fiveWeekMonths(2026), "March,May,August,November");
}

TEST(BroadcastYear, FiftyThreeWeekYear2023) {
    const BroadcastYearTable t = broadcastYearTable(2023);
    EXPECT_EQ(t.firstDay, dateNumber(12, 26, 2022));
    EXPECT_EQ(t.monthEnd[12], dateNumber(12, 31, 2023));
    const DateNumber lastWeek = dateNumber(12, 25, 2023);
    EXPECT_EQ(weekNumber(t, lastWeek), 53);
    EXPECT_EQ(quarterLabel(t, 12, lastWeek), "4Q14");
}

TEST(BroadcastYear, QuarterLengthsOf2018) {
    const BroadcastYearTable t = broadcastYearTable(2018);
    EXPECT_EQ(t.monthEnd[3], dateNumber(3, 25, 2018));
    EXPECT_EQ((t.monthEnd[3] - t.monthStart[1] + 1) / 7, 12);
    EXPECT_EQ((t.monthEnd[9] - t.monthStart[7] + 1) / 7, 14);
    EXPECT_EQ(quarterLabel(t, 9, dateNumber(9, 24, 2018)), "3Q14");
    EXPECT_EQ((t.monthEnd[12] - t.firstDay + 1) / 7, 52);
}

TEST(BroadcastYear, WeekNumbersAndQuarterLabels) {
    const BroadcastYearTable t = broadcastYearTable(2024);
    EXPECT_EQ(weekNumber(t, dateNumber(3, 25, 2024)), 13);
    EXPECT_EQ(quarterLabel(t, 3, dateNumber(3, 25, 2024)), "1Q13");
    EXPECT_EQ(weekNumber(t, dateNumber(4, 1, 2024)), 14);
    EXPECT_EQ(quarterLabel(t, 4, dateNumber(4, 1, 2024)), "2Q01");
    for (int year = 1920; year <= 2100; ++year) {
        const BroadcastYearTable table = broadcastYearTable(year);
        const DateNumber first = table.firstDay;
        int sundayMonth = 0, ignoredYear = 0;
        sundayMonth = broadcastMonthOfDate(first, ignoredYear);
        EXPECT_EQ(sundayMonth, 1) << year;
        EXPECT_EQ(weekNumber(table, first), 1) << year;
        EXPECT_EQ(quarterLabel(table, 1, first), "1Q01") << year;
        // Each quarter's weeks are numbered 1 upward without gaps.
        for (int q = 1; q <= 4; ++q) {
            const int firstMonth = 3 * q - 2;
            int expected = 1;
            for (DateNumber d = table.monthStart[firstMonth]; d <= table.monthEnd[firstMonth + 2];
                 d += 7, ++expected) {
                int y = 0;
                const int m = broadcastMonthOfDate(d, y);
                char label[24];
                std::snprintf(label, sizeof label, "%dQ%02d", q, expected);
                ASSERT_EQ(quarterLabel(table, m, d), label) << year << " " << dayOf(d);
            }
        }
    }
}

// Every day of every year finds itself inside its month and week of the year's table.
TEST(BroadcastYear, EveryDayKnowsItsWeekAndMonth) {
    for (int year = 1920; year <= 9999; ++year) {
        const BroadcastYearTable table = broadcastYearTable(year);
        int week = 1;
        for (int m = 1; m <= 12; ++m) {
            for (DateNumber monday = table.monthStart[m]; monday < table.monthEnd[m];
                 monday += 7, ++week) {
                const std::string quarterWeek = quarterLabel(table, m, monday);
                for (DateNumber day = monday; day < monday + 7; ++day) {
                    const BroadcastDay place = broadcastDayOf(day);
                    ASSERT_EQ(place.year, year) << day;
                    ASSERT_EQ(place.month, m) << day;
                    ASSERT_EQ(place.week, week) << day;
                    ASSERT_EQ(place.quarterWeek, quarterWeek) << day;
                    ASSERT_EQ(place.weekStart, monday) << day;
                    ASSERT_EQ(place.weekEnd, monday + 6) << day;
                    ASSERT_EQ(place.monthStart, table.monthStart[m]) << day;
                    ASSERT_EQ(place.monthEnd, table.monthEnd[m]) << day;
                }
            }
        }
    }
}

// However long a line, a reader unfolds it whole: no physical line passes 75 octets, each
// continuation starts with one blank and no character is split.
TEST(IcsContentLines, LongLinesFoldAndUnfoldWhole) {
    std::string euros;
    for (int count = 0; count < 90; ++count)
        euros += "\u20ac";
    for (const std::string& line : {std::string(75, 'a'), std::string(76, 'b'),
                                    std::string(400, 'c'), "DESCRIPTION:" + euros, "X:" + euros}) {
        std::string folded, unfolded;
        appendContentLine(folded, line);
        std::size_t start = 0;
        for (std::size_t end; (end = folded.find("\r\n", start)) != std::string::npos;
             start = end + 2) {
            std::string piece = folded.substr(start, end - start);
            EXPECT_LE(piece.size(), 75u) << line;
            if (start > 0) {
                EXPECT_EQ(piece.substr(0, 1), " ") << line;
                piece.erase(0, 1);
            }
            EXPECT_NE(static_cast<unsigned char>(piece[0]) & 0xC0, 0x80) << "split in " << line;
            unfolded += piece;
        }
        EXPECT_EQ(start, folded.size()) << "ends with CRLF";
        EXPECT_EQ(unfolded, line);
    }
}

} // namespace
