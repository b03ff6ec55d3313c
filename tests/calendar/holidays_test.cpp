#include "calendar/holidays.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string isoText(DateNumber date) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

struct HolidayCase {
    int country;
    int year;
    const char* key;
    const char* date;     // "" when the holiday did not exist that year
    const char* observed; // "" when it is the date itself
    const char* name;
};

// Years where a holiday begins, moves or is renamed in law, and observed days at year ends.
const HolidayCase kCases[] = {
    {UnitedStatesHolidays, 1985, "king", "", "", ""},
    {UnitedStatesHolidays, 1986, "king", "1986-01-20", "", "Birthday of Martin Luther King, Jr."},
    {UnitedStatesHolidays, 1970, "washington", "1970-02-22", "", "Washington's Birthday"},
    {UnitedStatesHolidays, 1971, "washington", "1971-02-15", "", "Washington's Birthday"},
    {UnitedStatesHolidays, 1971, "memorial", "1971-05-31", "", "Memorial Day"},
    {UnitedStatesHolidays, 2020, "juneteenth", "", "", ""},
    {UnitedStatesHolidays, 2021, "juneteenth", "2021-06-19", "2021-06-18",
     "Juneteenth National Independence Day"},
    {UnitedStatesHolidays, 1936, "columbus", "", "", ""},
    {UnitedStatesHolidays, 1937, "columbus", "1937-10-12", "", "Columbus Day"},
    {UnitedStatesHolidays, 1971, "columbus", "1971-10-11", "", "Columbus Day"},
    {UnitedStatesHolidays, 1938, "veterans", "1938-11-11", "", "Armistice Day"},
    {UnitedStatesHolidays, 1954, "veterans", "1954-11-11", "", "Veterans Day"},
    {UnitedStatesHolidays, 1971, "veterans", "1971-10-25", "", "Veterans Day"},
    {UnitedStatesHolidays, 1978, "veterans", "1978-11-11", "1978-11-10", "Veterans Day"},
    {UnitedStatesHolidays, 1938, "thanksgiving", "1938-11-24", "", "Thanksgiving Day"},
    {UnitedStatesHolidays, 1939, "thanksgiving", "1939-11-23", "", "Thanksgiving Day"},
    {UnitedStatesHolidays, 1942, "thanksgiving", "1942-11-26", "", "Thanksgiving Day"},
    {UnitedStatesHolidays, 2022, "new-year", "2022-01-01", "2021-12-31", "New Year's Day"},
    {UnitedStatesHolidays, 2023, "new-year", "2023-01-01", "2023-01-02", "New Year's Day"},
    {CanadaHolidays, 1943, "good-friday", "1943-04-23", "", "Good Friday"},
    {CanadaHolidays, 2285, "good-friday", "2285-03-20", "", "Good Friday"},
    {CanadaHolidays, 1942, "victoria", "1942-05-24", "1942-05-25", "Victoria Day"},
    {CanadaHolidays, 1952, "victoria", "1952-05-19", "", "Victoria Day"},
    {CanadaHolidays, 1923, "canada", "1923-07-01", "1923-07-02", "Dominion Day"},
    {CanadaHolidays, 1983, "canada", "1983-07-01", "", "Canada Day"},
    {CanadaHolidays, 1956, "thanksgiving", "", "", ""},
    {CanadaHolidays, 1957, "thanksgiving", "1957-10-14", "", "Thanksgiving Day"},
    {CanadaHolidays, 1930, "remembrance", "", "", ""},
    {CanadaHolidays, 1931, "remembrance", "1931-11-11", "", "Remembrance Day"},
    {CanadaHolidays, 2020, "truth-reconciliation", "", "", ""},
    {CanadaHolidays, 2023, "truth-reconciliation", "2023-09-30", "2023-10-02",
     "National Day for Truth and Reconciliation"},
    {CanadaHolidays, 1964, "boxing", "", "", ""},
    {CanadaHolidays, 1965, "boxing", "1965-12-26", "", "Boxing Day"},
    {CanadaHolidays, 2021, "christmas", "2021-12-25", "2021-12-27", "Christmas Day"},
    {CanadaHolidays, 2021, "boxing", "2021-12-26", "2021-12-28", "Boxing Day"},
    {CanadaHolidays, 2022, "christmas", "2022-12-25", "2022-12-26", "Christmas Day"},
    {CanadaHolidays, 2022, "boxing", "2022-12-26", "2022-12-27", "Boxing Day"},
    {CanadaHolidays, 2022, "new-year", "2022-01-01", "2022-01-03", "New Year's Day"},
    {CanadaHolidays, 2022, "easter-monday", "", "", ""},
};

TEST(Holidays, RulesOfEachCountryInTheYearsTheyBeginMoveOrFallOnARestDay) {
    for (const HolidayCase& c : kCases) {
        const Holiday* found = nullptr;
        std::vector<Holiday> holidays = holidaysOfYear(c.country, c.year);
        for (const Holiday& holiday : holidays)
            if (std::string(holiday.key) == c.key) found = &holiday;
        const std::string where =
            std::string(holidayCountryCode(c.country)) + " " + std::to_string(c.year) + " " + c.key;
        if (std::string(c.date).empty()) {
            EXPECT_EQ(found, nullptr) << where;
            continue;
        }
        ASSERT_NE(found, nullptr) << where;
        EXPECT_EQ(isoText(found->date), c.date) << where;
        const std::string observed = std::string(c.observed).empty() ? c.date : c.observed;
        EXPECT_EQ(isoText(found->observed), observed) << where;
        EXPECT_STREQ(found->name, c.name) << where;
    }
}

} // namespace
