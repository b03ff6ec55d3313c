#include "layout_pages.h"
#include "render/request.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
const std::vector<double> kColumnRules = {36, 58, 137, 154, 171, 188, 205, 222, 239, 256, 319, 576};
const std::vector<std::string> kMonthNames = {"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};

// Week numbers: right-aligned on 51, top to bottom, below the header band.
std::vector<PdfText> weekNumbers(const PdfPage& page) {
    std::vector<PdfText> numbers;
    for (const PdfText& text : textsEndingAt(page, 51))
        if (text.y > 89) numbers.push_back(text);
    return numbers;
}

bool hasFullWidthRule(const PdfPage& page, double y) {
    for (const PdfLine& line : horizontalLinesAt(page, y))
        if (std::min(line.x1, line.x2) == 36 && std::max(line.x1, line.x2) == 576 &&
            std::abs(line.width - 0.6) < 1e-6)
            return true;
    return false;
}

// The baseline of the first row of each month, from the months' week counts.
std::vector<double> firstRowBaselines(const std::vector<int>& weeksPerMonth) {
    std::vector<double> baselines;
    double baseline = 98;
    for (int weeks : weeksPerMonth) {
        baselines.push_back(baseline);
        baseline += 11 * weeks;
    }
    return baselines;
}
} // namespace

TEST(PlannerPage, NavyHeaderBandWithWhiteHeadingsOverABlackTable) {
    const std::vector<PdfPage> pages = renderPages(PlanningCalendar, 2024, 0, true);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    EXPECT_EQ(page.width, 612);
    EXPECT_EQ(page.height, 792);

    const PdfText* title = findTextOnBaseline(page, "BROADCAST CALENDAR 2024", 49);
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(centreOf(*title), 306, 0.01);
    EXPECT_EQ(title->size, 28);

    ASSERT_EQ(page.rectangles.size(), 1u);
    const PdfRectangle& band = page.rectangles[0];
    EXPECT_EQ(band.x, 36);
    EXPECT_EQ(band.top, 76);
    EXPECT_EQ(band.width, 540);
    EXPECT_EQ(band.height, 13);
    EXPECT_TRUE(band.filled);
    EXPECT_TRUE(isColour(band.fill, 0, 0, 0.6));
    EXPECT_TRUE(isColour(band.stroke, 0, 0, 0.6));

    const std::vector<PdfText> headings = textsOnBaseline(page, 86);
    ASSERT_EQ(headings.size(), 10u);
    const std::vector<std::string> expected = {"WK", "MONTH", "M", "T", "W",
                                               "T",  "F",     "S", "S", "BUDGET"};
    for (std::size_t i = 0; i < headings.size(); ++i) {
        EXPECT_EQ(headings[i].text, expected[i]);
        EXPECT_TRUE(isColour(headings[i].fill, 1, 1, 1)) << headings[i].text;
        EXPECT_EQ(headings[i].font, "Helvetica-Bold");
        EXPECT_EQ(headings[i].size, 8);
    }
    EXPECT_NEAR(rightEdge(headings[0]), 51, 0.01);
    EXPECT_EQ(headings[1].x, 60);
    for (std::size_t letter = 0; letter < 7; ++letter)
        EXPECT_NEAR(centreOf(headings[2 + letter]), 146 + 17 * letter, 0.01);
    EXPECT_NEAR(rightEdge(headings[9]), 307, 0.01);
    for (const PdfText& text : page.texts)
        if (text.y != 86) {
            EXPECT_TRUE(isBlack(text.fill)) << text.text;
        }
}

// 2024: 52 weeks; its five-week months are March, June, September and December.
TEST(PlannerPage, FiftyTwoWeekRowsWithMonthRulesAndColumnLines) {
    const std::vector<PdfPage> pages = renderPages(PlanningCalendar, 2024, 0, true);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];

    // Week numbers 1 to 52 run on without quarter labels, 11 points apart from 98 to 659.
    const std::vector<PdfText> numbers = weekNumbers(page);
    ASSERT_EQ(numbers.size(), 52u);
    for (std::size_t week = 0; week < numbers.size(); ++week) {
        EXPECT_EQ(numbers[week].text, std::to_string(week + 1));
        EXPECT_EQ(numbers[week].y, 98 + 11 * week);
        EXPECT_EQ(numbers[week].font, "Helvetica-Bold");
    }

    // Each month's name once, beside its first week; a heavy rule over every month but January.
    const std::vector<int> weeksPerMonth = {4, 4, 5, 4, 4, 5, 4, 4, 5, 4, 4, 5};
    const std::vector<double> baselines = firstRowBaselines(weeksPerMonth);
    std::vector<double> heavyRules;
    for (std::size_t month = 0; month < 12; ++month) {
        const std::string name =
            weeksPerMonth[month] == 5 ? "*" + kMonthNames[month] + "*" : kMonthNames[month];
        const std::vector<PdfText> found = textsEqualTo(page, name);
        ASSERT_EQ(found.size(), 1u) << name;
        EXPECT_EQ(found[0].x, 60);
        EXPECT_EQ(found[0].y, baselines[month]) << name;
        if (month > 0) heavyRules.push_back(baselines[month] - 8);
    }
    EXPECT_EQ(horizontalRuleHeights(page, 1.2), heavyRules);

    // Only the heavy rules cross the month column inside the table.
    for (const PdfLine& line : page.lines) {
        if (line.y1 != line.y2 || line.y1 <= 89 || line.y1 >= 662) continue;
        const bool crossesMonthColumn =
            std::min(line.x1, line.x2) < 100 && std::max(line.x1, line.x2) > 100;
        EXPECT_EQ(crossesMonthColumn, line.width > 1) << line.y1;
    }
    // The table's bottom rule spans it whole, under the last row's own rules.
    EXPECT_TRUE(hasFullWidthRule(page, 662));
    EXPECT_FALSE(hasFullWidthRule(page, 673));

    for (double x : kColumnRules) {
        const std::vector<PdfLine> lines = verticalLinesAt(page, x);
        ASSERT_EQ(lines.size(), 1u) << x;
        EXPECT_EQ(std::min(lines[0].y1, lines[0].y2), 89);
        EXPECT_EQ(std::max(lines[0].y1, lines[0].y2), 662);
        EXPECT_NEAR(lines[0].width, 0.6, 1e-6);
        EXPECT_TRUE(isBlack(lines[0].stroke));
    }

    // The footer's three lines, 26 points below the last row and then 19 apart.
    const std::vector<double> footer = {687, 706, 725};
    for (double y : footer) {
        const std::vector<PdfText> line = textsOnBaseline(page, y);
        ASSERT_EQ(line.size(), 1u) << y;
        EXPECT_NEAR(centreOf(line[0]), 306, 0.01);
    }
    EXPECT_EQ(textsOnBaseline(page, 706)[0].text, "* Denotes 5-week month");
    EXPECT_NE(textsOnBaseline(page, 725)[0].text.find("Merivane"), std::string::npos);
}

// 2023 has 53 weeks, from 26 December 2022 to 31 December 2023.
TEST(PlannerPage, FiftyThreeWeekYearRunsOneRowFurther) {
    const std::vector<PdfPage> pages = renderPages(PlanningCalendar, 2023, 0, false);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    const std::vector<PdfText> numbers = weekNumbers(page);
    ASSERT_EQ(numbers.size(), 53u);
    EXPECT_EQ(numbers.back().text, "53");
    EXPECT_EQ(numbers.back().y, 670);
    EXPECT_TRUE(hasFullWidthRule(page, 673));
    for (double x : kColumnRules) {
        const std::vector<PdfLine> lines = verticalLinesAt(page, x);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(std::max(lines[0].y1, lines[0].y2), 673);
    }
    EXPECT_EQ(textsOnBaseline(page, 698).size(), 1u);
    // The first row holds Monday 26 to Saturday 31 December 2022 in bold and Sunday 1 January.
    std::vector<PdfText> firstRow;
    for (const PdfText& text : textsOnBaseline(page, 98))
        if (text.x > 137 && text.x < 256) firstRow.push_back(text);
    ASSERT_EQ(firstRow.size(), 7u);
    const std::vector<std::string> days = {"26", "27", "28", "29", "30", "31", "1"};
    for (std::size_t column = 0; column < 7; ++column) {
        EXPECT_EQ(firstRow[column].text, days[column]);
        EXPECT_NEAR(rightEdge(firstRow[column]), 151 + 17 * column, 0.01);
        EXPECT_EQ(firstRow[column].font, column < 6 ? "Helvetica-Bold" : "Helvetica");
    }
    EXPECT_NE(findTextOnBaseline(page, "*December*", 98 + 11 * 48), nullptr);
}
