#include "calendar/holidays.h"

#include <gtest/gtest.h>
#include <string>

namespace {

constexpr int kUs = UnitedStatesHolidays;
constexpr int kCa = CanadaHolidays;

struct HolidayCase {
    int country;
    const char* key;
    const char* date;     // the date in law, or the year alone for a year without the holiday
    const char* observed; // "" when it is the date itself
    const char* name;
};

// Years where a holiday begins, moves or is renamed in law, and observed days at year ends.
const HolidayCase kCases[] = {
    {kUs, "king", "1985", "", ""},
    {kUs, "king", "1986-01-20", "", "Birthday of Martin Luther King, Jr."},
    {kUs, "washington", "1970-02-22", "", "Washington's Birthday"},
    {kUs, "washington", "1971-02-15", "", "Washington's Birthday"},
    {kUs, "memorial", "1971-05-31", "", "Memorial Day"},
    {kUs, "juneteenth", "2020", "", ""},
    {kUs, "juneteenth", "2021-06-19", "2021-06-18", "Juneteenth National Independence Day"},
    {kUs, "columbus", "1936", "", ""},
    {kUs, "columbus", "1937-10-12", "", "Columbus Day"},
    {kUs, "columbus", "1971-10-11", "", "Columbus Day"},
    {kUs, "veterans", "1938-11-11", "", "Armistice Day"},
    {kUs, "veterans", "1954-11-11", "", "Veterans Day"},
    {kUs, "veterans", "1971-10-25", "", "Veterans Day"},
    {kUs, "veterans", "1977-10-24", "", "Veterans Day"},
    {kUs, "veterans", "1978-11-11", "1978-11-10", "Veterans Day"},
    {kUs, "thanksgiving", "1938-11-24", "", "Thanksgiving Day"},
    {kUs, "thanksgiving", "1939-11-23", "", "Thanksgiving Day"},
    {kUs, "thanksgiving", "1942-11-26", "", "Thanksgiving Day"},
    {kUs, "new-year", "2022-01-01", "2021-12-31", "New Year's Day"},
    {kUs, "new-year", "2023-01-01", "2023-01-02", "New Year's Day"},
    {kCa, "good-friday", "1943-04-23", "", "Good Friday"},
    {kCa, "good-friday", "2285-03-20", "", "Good Friday"},
    {kCa, "victoria", "1942-05-24", "1942-05-25", "Victoria Day"},
    {kCa, "victoria", "1952-05-19", "", "Victoria Day"},
    // 25 May a Monday: the Monday before it, a week earlier.
    {kCa, "victoria", "2026-05-18", "", "Victoria Day"},
    {kCa, "canada", "1923-07-01", "1923-07-02", "Dominion Day"},
    {kCa, "canada", "1983-07-01", "", "Canada Day"},
    {kCa, "thanksgiving", "1956", "", ""},
    {kCa, "thanksgiving", "1957-10-14", "", "Thanksgiving Day"},
    {kCa, "remembrance", "1930", "", ""},
    {kCa, "remembrance", "1931-11-11", "", "Remembrance Day"},
    {kCa, "truth-reconciliation", "2020", "", ""},
    {kCa, "truth-reconciliation", "2023-09-30", "2023-10-02",
     "National Day for Truth and Reconciliation"},
    {kCa, "boxing", "1964", "", ""},
    {kCa, "boxing", "1965-12-26", "", "Boxing Day"},
    {kCa, "christmas", "2021-12-25", "2021-12-27", "Christmas Day"},
    {kCa, "boxing", "2021-12-26", "2021-12-28", "Boxing Day"},
    {kCa, "christmas", "2022-12-25", "2022-12-26", "Christmas Day"},
    {kCa, "boxing", "2022-12-26", "2022-12-27", "Boxing Day"},
    {kCa, "new-year", "2022-01-01", "2022-01-03", "New Year's Day"},
    {kCa, "easter-monday", "2022", "", ""},
};

TEST(Holidays, RulesOfEachCountryInTheYearsTheyBeginMoveOrFallOnARestDay) {
    for (const HolidayCase& c : kCases) {
        SCOPED_TRACE(std::string(holidayCountryCode(c.country)) + " " + c.key + " " + c.date);
        const Holiday* found = nullptr;
        const std::vector<Holiday> holidays = holidaysOfYear(c.country, std::stoi(c.date));
        for (const Holiday& holiday : holidays)
            if (std::string(holiday.key) == c.key) found = &holiday;
        if (std::string(c.date).size() == 4) {
            EXPECT_EQ(found, nullptr);
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(isoDateText(found->date), c.date);
        EXPECT_EQ(isoDateText(found->observed), *c.observed ? c.observed : c.date);
        EXPECT_STREQ(found->name, c.name);
    }
}

} // namespace
