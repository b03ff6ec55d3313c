#include "calendar/holidays.h"
#include "layout_pages.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

bool isDayNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Day numbers in red with a red rule right under them, spanning the number.
std::vector<PdfText> markedDays(const PdfPage& page) {
    std::vector<PdfText> marked;
    for (const PdfText& text : page.texts) {
        if (!isRed(text.fill) || !isDayNumber(text.text)) continue;
        for (const PdfLine& line : page.lines) {
            if (!isRed(line.stroke) || line.y1 != line.y2) continue;
            if (line.y1 <= text.y || line.y1 > text.y + text.size / 4) continue;
            if (std::abs(std::min(line.x1, line.x2) - text.x) < 1 &&
                std::abs(std::max(line.x1, line.x2) - rightEdge(text)) < 1) {
                marked.push_back(text);
                break;
            }
        }
    }
    return marked;
}

struct MarkCase {
    int country, style, year, selection;
    std::size_t marks;              // 0: the file is the same, byte for byte, as without a country
    std::vector<std::string> days;  // the day numbers marked, sorted as text; {} to count only
    std::vector<std::string> names; // texts that name the holidays
    Language language = Language::English;
};

// A holiday and the day observed in its place share one entry of the planner's note.
const std::string kPlannerNote = "Sat 1 New Year's Day, observed Fri 31";
const std::string kJuneteenthNote = "Sat 19 Juneteenth National Independence Day, observed Fri 18";
// Sunday 4 July 2027 is observed on Monday 5, in the next week: each week has its own entry.
const std::string kObservedNextWeek = "Mon 5 Independence Day (observed)";
// Broadcast 2023 begins with Monday 26 December 2022, Christmas observed and Boxing Day, itself
// observed the next day; 16 days in all are marked in Canada.
const std::string kBoxingDayNote =
    "Mon 26 Christmas Day (observed), Boxing Day, observed Tue 27; Sun 1 New Year's Day";

// 2026: Monday 25 May is Memorial Day; Saturday 4 July is observed on Friday 3 July. Broadcast
// 2028 begins with Friday 31 December 2027, the observed New Year's Day of 2028. August 2026 has
// no holiday in the United States, March 2026 none in Canada (Good Friday falls on 3 April).
const MarkCase kCases[] = {
    {UnitedStatesHolidays, Month, 2026, 5, 1, {"25"}, {"Memorial Day"}},
    {UnitedStatesHolidays, Month, 2026, 7, 2, {"3", "4"}, {"Independence Day", "(observed)"}},
    {UnitedStatesHolidays, Quarter, 2026, 4, 2, {"19", "25"}, {}},
    {UnitedStatesHolidays,
     Year,
     2026,
     0,
     12,
     {"1", "11", "12", "16", "19", "19", "25", "25", "26", "3", "4", "7"},
     {}},
    {UnitedStatesHolidays, ThreeYears, 2026, 0, 39, {}, {}},
    {UnitedStatesHolidays, KeyboardStrips, 2026, 0, 9 * 12, {}, {}},
    {UnitedStatesHolidays, PlanningCalendar, 2028, 0, 13, {}, {kPlannerNote}},
    {UnitedStatesHolidays, PlanningCalendar, 2027, 0, 14, {}, {kJuneteenthNote, kObservedNextWeek}},
    {CanadaHolidays, PlanningCalendar, 2023, 0, 16, {}, {kBoxingDayNote}},
    {CanadaHolidays, Month, 2023, 1, 4, {"1", "2", "26", "27"}, {"Christmas Day", "Boxing Day"}},
    {UnitedStatesHolidays, Month, 2026, 8, 0, {}, {}},
    {CanadaHolidays, Month, 2026, 3, 0, {}, {}},
    // French says a day taken before its Saturday holiday is no postponed one; notes are running
    // text, with lower-case abbreviations and French's first of the month.
    {UnitedStatesHolidays, Month, 2026, 7, 2, {"3", "4"}, {"(congé)"}, Language::French},
    {CanadaHolidays, Month, 2023, 1, 4, {}, {"(congé reporté)"}, Language::French},
    {UnitedStatesHolidays,
     PlanningCalendar,
     2028,
     0,
     13,
     {},
     {"sam. 1er\u00a0: Jour de l'An, congé le ven. 31"},
     Language::French},
    {UnitedStatesHolidays,
     PlanningCalendar,
     2028,
     0,
     13,
     {},
     {"sáb. 1: Año Nuevo, se observa el vie. 31"},
     Language::Spanish},
    {UnitedStatesHolidays, Month, 2026, 7, 2, {"3", "4"}, {"observa)"}, Language::Spanish},
};

TEST(HolidayMarks, EachStyleMarksAndNamesTheDaysInPlaceAndLeavesAPageWithoutHolidaysAlone) {
    // One moment for every file made, so that two may be compared byte for byte.
    setenv("SOURCE_DATE_EPOCH", "1800000000", 1);
    for (const MarkCase& c : kCases) {
        SCOPED_TRACE(std::to_string(c.country) + "/" + std::to_string(c.style) + "/" +
                     std::to_string(c.year) + "/" + std::to_string(c.selection));
        CalendarRequest request = {c.style, c.year, c.selection, true};
        request.language = c.language;
        std::string plainBytes, markedBytes;
        const std::vector<PdfPage> plain = renderRequest(request, &plainBytes);
        request.holidays = c.country;
        const std::vector<PdfPage> pages = renderRequest(request, &markedBytes);
        ASSERT_EQ(pages.size(), 1u);
        ASSERT_EQ(plain.size(), 1u);
        const std::vector<PdfText> marked = markedDays(pages[0]);
        EXPECT_EQ(marked.size(), c.marks);
        EXPECT_TRUE(c.marks > 0 || plainBytes == markedBytes) << "the unmarked file differs";
        std::vector<std::string> days;
        // A mark changes the colour only: the same number stands where it stood, in its weight.
        for (const PdfText& day : marked) {
            days.push_back(day.text);
            const auto same = [&day](const PdfText& text) {
                return text.text == day.text && text.x == day.x && text.y == day.y &&
                       text.font == day.font && text.size == day.size && isBlack(text.fill);
            };
            EXPECT_TRUE(std::any_of(plain[0].texts.begin(), plain[0].texts.end(), same))
                << day.text;
        }
        std::sort(days.begin(), days.end());
        if (!c.days.empty()) {
            EXPECT_EQ(days, c.days);
        }
        EXPECT_TRUE(markedDays(plain[0]).empty());
        for (const std::string& text : c.names) {
            const PdfText* name = findText(pages[0], text);
            ASSERT_NE(name, nullptr) << text;
            EXPECT_TRUE(isRed(name->fill)) << text;
        }
    }
    unsetenv("SOURCE_DATE_EPOCH");
}

} // namespace
