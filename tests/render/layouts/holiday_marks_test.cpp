#include "calendar/holidays.h"
#include "layout_pages.h"

#include <algorithm>
#include <cmath>
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

std::string sortedTexts(std::vector<PdfText> texts) {
    std::vector<std::string> strings;
    for (const PdfText& text : texts)
        strings.push_back(text.text);
    std::sort(strings.begin(), strings.end());
    std::string joined;
    for (const std::string& s : strings)
        joined += (joined.empty() ? "" : ",") + s;
    return joined;
}

struct MarkCase {
    int country, style, year, selection;
    std::size_t marks;
    const char* days;               // sorted day numbers, "" to check the count only
    std::vector<std::string> names; // texts that name the holidays
};

const std::string kPlannerNote = "Fri 31 New Year's Day (observed); Sat 1 New Year's Day";

// 2026: Monday 25 May is Memorial Day; Saturday 4 July is observed on Friday 3 July. Broadcast
// 2028 begins with Friday 31 December 2027, the observed New Year's Day of 2028.
const MarkCase kCases[] = {
    {UnitedStatesHolidays, Month, 2026, 5, 1, "25", {"Memorial Day"}},
    {UnitedStatesHolidays, Month, 2026, 7, 2, "3,4", {"Independence Day", "(observed)"}},
    {UnitedStatesHolidays, Quarter, 2026, 4, 2, "19,25", {}},
    {UnitedStatesHolidays, Year, 2026, 0, 12, "1,11,12,16,19,19,25,25,26,3,4,7", {}},
    {UnitedStatesHolidays, ThreeYears, 2026, 0, 39, "", {}},
    {UnitedStatesHolidays, KeyboardStrips, 2026, 0, 9 * 12, "", {}},
    {UnitedStatesHolidays, PlanningCalendar, 2028, 0, 13, "", {kPlannerNote}},
    {CanadaHolidays, Month, 2023, 1, 4, "1,2,26,27", {"Christmas Day", "Boxing Day"}},
};

TEST(HolidayMarks, EveryStyleMarksTheDaysInPlaceAndTheMonthPageAndPlannerNameThem) {
    for (const MarkCase& c : kCases) {
        const std::string where = std::to_string(c.style) + "/" + std::to_string(c.year) + "/" +
                                  std::to_string(c.selection);
        CalendarRequest request = {c.style, c.year, c.selection, false};
        const std::vector<PdfPage> plain = renderRequest(request);
        request.holidays = c.country;
        const std::vector<PdfPage> pages = renderRequest(request);
        ASSERT_EQ(pages.size(), 1u) << where;
        ASSERT_EQ(plain.size(), 1u) << where;
        const std::vector<PdfText> marked = markedDays(pages[0]);
        EXPECT_EQ(marked.size(), c.marks) << where;
        if (*c.days) {
            EXPECT_EQ(sortedTexts(marked), c.days) << where;
        }
        // A mark changes the colour only: the same number stands where it stood, in its weight.
        for (const PdfText& day : marked) {
            const auto same = [&day](const PdfText& text) {
                return text.text == day.text && text.x == day.x && text.y == day.y &&
                       text.font == day.font && text.size == day.size && isBlack(text.fill);
            };
            EXPECT_TRUE(std::any_of(plain[0].texts.begin(), plain[0].texts.end(), same))
                << where << " " << day.text;
        }
        EXPECT_TRUE(markedDays(plain[0]).empty()) << where;
        for (const std::string& text : c.names) {
            const PdfText* name = findText(pages[0], text);
            ASSERT_NE(name, nullptr) << where << " " << text;
            EXPECT_TRUE(isRed(name->fill)) << where;
        }
    }
}

// A country adds nothing to a page it has no holiday on: August 2026 has none in the United
// States, March 2026 none in Canada (Good Friday falls on 3 April).
TEST(HolidayMarks, APageWithoutHolidaysIsByteIdenticalToOneWithoutACountry) {
    const std::pair<int, int> kPages[] = {{UnitedStatesHolidays, 8}, {CanadaHolidays, 3}};
    for (const auto& [country, month] : kPages) {
        std::string plain, withCountry;
        renderRequest({Month, 2026, month, true}, &plain);
        CalendarRequest request = {Month, 2026, month, true};
        request.holidays = country;
        renderRequest(request, &withCountry);
        ASSERT_FALSE(plain.empty());
        EXPECT_EQ(plain, withCountry) << country;
    }
}

} // namespace
