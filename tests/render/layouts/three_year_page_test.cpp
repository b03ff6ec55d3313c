#include "layout_pages.h"
#include "render/request.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {
const std::vector<double> kHeadingCentres = {126, 306, 486};
const std::vector<double> kColumnLeftEdges = {76, 256, 436};
const std::vector<double> kWeekLabelRightEdges = {68, 248, 428};

// Week labels of one column: red texts of size 8 ending on its label edge, top to bottom
// ("Wk#" is drawn in Helvetica-Bold, the labels in Helvetica-BoldOblique).
std::vector<PdfText> weekLabels(const PdfPage& page, std::size_t column) {
    std::vector<PdfText> labels;
    for (const PdfText& text : textsEndingAt(page, kWeekLabelRightEdges[column]))
        if (text.font == "Helvetica-BoldOblique" && isRed(text.fill)) labels.push_back(text);
    return labels;
}

// Month names centred over one column, top to bottom.
std::vector<std::string> monthNames(const PdfPage& page, std::size_t column) {
    std::vector<std::string> names;
    for (const PdfText& text : page.texts)
        if (text.size == 9 && text.font == "Helvetica-Bold" && text.text.size() > 2 &&
            std::abs(centreOf(text) - kHeadingCentres[column]) < 0.01)
            names.push_back(text.text);
    return names;
}
} // namespace

TEST(ThreeYearPage, ThreeColumnsOfYearsWithTheirOwnFiveWeekMonths) {
    const std::vector<PdfPage> pages = renderPages(ThreeYears, 2024, 0, false);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    EXPECT_EQ(page.width, 612);
    EXPECT_EQ(page.height, 792);

    const PdfText* title = findTextOnBaseline(page, "THREE YEAR STANDARD BROADCAST CALENDAR", 30);
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(centreOf(*title), 306, 0.01);
    EXPECT_EQ(title->size, 12);
    EXPECT_EQ(horizontalRuleHeights(page, 0.7), (std::vector<double>{19, 32}));
    for (double y : {19.0, 32.0}) {
        const std::vector<PdfLine> rules = horizontalLinesAt(page, y);
        ASSERT_EQ(rules.size(), 1u);
        EXPECT_EQ(std::min(rules[0].x1, rules[0].x2), 152);
        EXPECT_EQ(std::max(rules[0].x1, rules[0].x2), 460);
    }

    // 2024: March, June, September, December; 2025: March, June, August, November;
    // 2026: March, May, August, November.
    const std::vector<std::vector<std::string>> names = {
        {"January", "February", "*March*", "April", "May", "*June*", "July", "August",
         "*September*", "October", "November", "*December*"},
        {"January", "February", "*March*", "April", "May", "*June*", "July", "*August*",
         "September", "October", "*November*", "December"},
        {"January", "February", "*March*", "April", "*May*", "June", "July", "*August*",
         "September", "October", "*November*", "December"}};
    for (std::size_t column = 0; column < 3; ++column) {
        const PdfText* year = findTextOnBaseline(page, std::to_string(2024 + column), 46);
        ASSERT_NE(year, nullptr);
        EXPECT_NEAR(centreOf(*year), kHeadingCentres[column], 0.01);
        EXPECT_TRUE(isRed(year->fill));
        EXPECT_EQ(year->size, 14);
        EXPECT_EQ(monthNames(page, column), names[column]) << 2024 + column;

        // Each column numbers its own year's weeks from 1 to 52, the last on baseline 738.
        const std::vector<PdfText> labels = weekLabels(page, column);
        ASSERT_EQ(labels.size(), 52u);
        for (std::size_t week = 0; week < labels.size(); ++week)
            EXPECT_EQ(labels[week].text, std::to_string(week + 1));
        EXPECT_EQ(labels.front().y, 70);
        EXPECT_EQ(labels.back().y, 738);
    }
    const std::vector<PdfText> headings = textsEqualTo(page, "Wk#");
    ASSERT_EQ(headings.size(), 3u);
    for (std::size_t column = 0; column < 3; ++column) {
        EXPECT_NEAR(rightEdge(headings[column]), kWeekLabelRightEdges[column], 0.01);
        EXPECT_EQ(headings[column].y, 55);
        EXPECT_EQ(headings[column].font, "Helvetica-Bold");
        EXPECT_TRUE(isRed(headings[column].fill));
    }

    const std::vector<PdfText> footer = textsOnBaseline(page, 760);
    ASSERT_EQ(footer.size(), 2u);
    EXPECT_EQ(footer[0].text, "* denotes 5-week month");
    EXPECT_EQ(footer[0].x, 72);
    EXPECT_NEAR(rightEdge(footer[1]), 540, 0.01);
}

TEST(ThreeYearPage, JanuaryOfTheSecondColumnStartsWithBoldDecemberDays) {
    const std::vector<PdfPage> pages = renderPages(ThreeYears, 2024, 0, false);
    ASSERT_EQ(pages.size(), 1u);
    // Broadcast January 2025 runs from Monday 30 December 2024; its first row is 9 points
    // under the weekday letters, which stand 6 under the name line at 55.
    std::vector<PdfText> row;
    for (const PdfText& text : textsOnBaseline(pages[0], 70))
        if (text.size == 9 && rightEdge(text) > 256 && rightEdge(text) <= 256 + 104)
            row.push_back(text);
    ASSERT_EQ(row.size(), 7u);
    const std::vector<std::string> days = {"30", "31", "1", "2", "3", "4", "5"};
    for (std::size_t column = 0; column < 7; ++column) {
        EXPECT_EQ(row[column].text, days[column]);
        EXPECT_NEAR(rightEdge(row[column]), 256 + 8 + 16 * column, 0.01);
        EXPECT_EQ(row[column].font, column < 2 ? "Helvetica-Bold" : "Helvetica");
    }
}

// 2023 has 53 weeks (26 December 2022 to 31 December 2023); 2024 and 2025 have 52.
TEST(ThreeYearPage, FiftyThreeWeekYearRunsOneRowLongerWithQuarterLabels) {
    const std::vector<PdfPage> pages = renderPages(ThreeYears, 2023, 0, true);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    const std::vector<PdfText> first = weekLabels(page, 0);
    ASSERT_EQ(first.size(), 53u);
    EXPECT_EQ(first.front().text, "1-1Q01");
    EXPECT_EQ(first.back().text, "53-4Q14");
    EXPECT_EQ(first.back().y, 747);
    for (std::size_t column = 1; column < 3; ++column) {
        const std::vector<PdfText> labels = weekLabels(page, column);
        ASSERT_EQ(labels.size(), 52u);
        EXPECT_EQ(labels.front().text, "1-1Q01");
        EXPECT_EQ(labels.back().text, "52-4Q13");
        EXPECT_EQ(labels.back().y, 738);
    }
    // Nothing but the week labels ends on the label edges, and they never reach the
    // neighbouring column's days.
    for (std::size_t column = 1; column < 3; ++column)
        for (const PdfText& label : weekLabels(page, column))
            EXPECT_GT(label.x, kColumnLeftEdges[column - 1] + 104);
}
