#include "layout_pages.h"
#include "render/request.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
// Band tops (the month heading's baseline) of the three months on a page.
const std::vector<double> kBandTops = {75, 300, 525};
// Right ends of the day numbers, Monday first.
const std::vector<double> kDayRightEdges = {150, 214, 278, 342, 406, 470, 534};

// Week labels: the red texts of size 13, top to bottom.
std::vector<PdfText> weekLabels(const PdfPage& page) {
    std::vector<PdfText> labels;
    for (const PdfText& text : page.texts)
        if (text.size == 13 && isRed(text.fill)) labels.push_back(text);
    std::stable_sort(labels.begin(), labels.end(),
                     [](const PdfText& a, const PdfText& b) { return a.y < b.y; });
    return labels;
}

// The day numbers on one row baseline, Monday first.
std::vector<PdfText> dayRow(const PdfPage& page, double baseline) {
    std::vector<PdfText> days;
    for (const PdfText& text : textsOnBaseline(page, baseline))
        if (text.size == 18) days.push_back(text);
    return days;
}

std::vector<std::string> texts(const std::vector<PdfText>& found) {
    std::vector<std::string> result;
    for (const PdfText& text : found)
        result.push_back(text.text);
    return result;
}
} // namespace

TEST(QuarterPage, AllFourQuartersGiveFourPortraitPagesWithStarredFiveWeekMonths) {
    // 2026's five-week months are March, May, August and November.
    const std::vector<std::vector<std::string>> headings = {
        {"January 2026", "February 2026", "*March 2026*"},
        {"April 2026", "*May 2026*", "June 2026"},
        {"July 2026", "*August 2026*", "September 2026"},
        {"October 2026", "*November 2026*", "December 2026"}};
    const std::vector<PdfPage> pages = renderPages(Quarter, 2026, kSelectAll, false);
    ASSERT_EQ(pages.size(), 4u);
    for (std::size_t index = 0; index < pages.size(); ++index) {
        const PdfPage& page = pages[index];
        EXPECT_EQ(page.width, 612);
        EXPECT_EQ(page.height, 792);
        for (std::size_t band = 0; band < 3; ++band) {
            const PdfText* heading =
                findTextOnBaseline(page, headings[index][band], kBandTops[band]);
            ASSERT_NE(heading, nullptr) << headings[index][band];
            EXPECT_EQ(heading->font, "Helvetica-Bold");
            EXPECT_EQ(heading->size, 18);
            EXPECT_NEAR(centreOf(*heading), 306, 0.01);
        }
        const PdfText* title =
            findTextOnBaseline(page, "S T A N D A R D  B R O A D C A S T  C A L E N D A R", 39);
        ASSERT_NE(title, nullptr);
        EXPECT_NEAR(centreOf(*title), 306, 0.01);
        EXPECT_EQ(horizontalLinesAt(page, 26).size(), 1u);
        EXPECT_EQ(horizontalLinesAt(page, 41).size(), 1u);
        EXPECT_EQ(horizontalRuleHeights(page, 0.5), (std::vector<double>{26, 41}));
        // The footnote stands on every page, whether or not it holds a five-week month.
        const std::vector<PdfText> footer = textsOnBaseline(page, 748);
        ASSERT_EQ(footer.size(), 2u);
        EXPECT_EQ(footer[0].text, "* denotes 5-week month");
        EXPECT_EQ(footer[0].x, 72);
        EXPECT_NEAR(rightEdge(footer[1]), 540, 0.01);
        for (const PdfText& text : footer)
            EXPECT_EQ(text.size, 9) << text.text;
    }
}

// October 2026 (4 weeks), November (5) and December (4): each box opens 4 points under its
// heading and closes 12 points under its last row.
TEST(QuarterPage, BoxesFollowTheWeekCountOfTheirMonth) {
    const std::vector<PdfPage> pages = renderPages(Quarter, 2026, 10, false);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    EXPECT_EQ(horizontalRuleHeights(page, 0.3), (std::vector<double>{79, 230, 304, 486, 529, 680}));
    EXPECT_EQ(horizontalRuleHeights(page, 0.1), (std::vector<double>{94, 319, 544}));
    for (const PdfLine& thin : horizontalLinesAt(page, 319)) {
        EXPECT_EQ(std::min(thin.x1, thin.x2), 77);
        EXPECT_EQ(std::max(thin.x1, thin.x2), 535);
    }
    for (double x : {72.0, 540.0}) {
        const std::vector<PdfLine> sides = verticalLinesAt(page, x);
        ASSERT_EQ(sides.size(), 3u);
        const std::vector<std::pair<double, double>> spans = {{79, 230}, {304, 486}, {529, 680}};
        for (std::size_t box = 0; box < 3; ++box) {
            EXPECT_EQ(std::min(sides[box].y1, sides[box].y2), spans[box].first);
            EXPECT_EQ(std::max(sides[box].y1, sides[box].y2), spans[box].second);
            EXPECT_EQ(sides[box].width, 0);
        }
    }

    // November's rows, 31 points apart from 50 below its heading.
    const std::vector<double> novemberRows = {350, 381, 412, 443, 474};
    for (double baseline : novemberRows) {
        const std::vector<PdfText> days = dayRow(page, baseline);
        ASSERT_EQ(days.size(), 7u) << baseline;
        for (std::size_t column = 0; column < 7; ++column)
            EXPECT_NEAR(rightEdge(days[column]), kDayRightEdges[column], 0.01);
    }
    // Its first week runs from 26 October (an even month, bold) to 1 November.
    const std::vector<PdfText> firstWeek = dayRow(page, 350);
    ASSERT_EQ(firstWeek.size(), 7u);
    EXPECT_EQ(texts(firstWeek),
              (std::vector<std::string>{"26", "27", "28", "29", "30", "31", "1"}));
    for (std::size_t column = 0; column < 6; ++column)
        EXPECT_EQ(firstWeek[column].font, "Helvetica-Bold");
    EXPECT_EQ(firstWeek[6].font, "Helvetica");

    // Weeks 40-52, right-aligned on 94 without quarter labels.
    const std::vector<PdfText> labels = weekLabels(page);
    ASSERT_EQ(labels.size(), 13u);
    for (std::size_t row = 0; row < labels.size(); ++row) {
        EXPECT_EQ(labels[row].text, std::to_string(40 + row));
        EXPECT_NEAR(rightEdge(labels[row]), 94, 0.01);
        EXPECT_EQ(labels[row].font, "Helvetica-BoldOblique");
    }
    const std::vector<PdfText> headings = textsEqualTo(page, "Wk#");
    ASSERT_EQ(headings.size(), 3u);
    for (std::size_t band = 0; band < 3; ++band) {
        EXPECT_EQ(headings[band].x, 78);
        EXPECT_EQ(headings[band].y, kBandTops[band] + 17);
        EXPECT_TRUE(isRed(headings[band].fill));
    }
    for (const PdfText& text : page.texts)
        if (text.size == 18 || text.size == 12) {
            EXPECT_TRUE(isBlack(text.fill)) << text.text;
        }
}

TEST(QuarterPage, QuarterStartingInNovemberRunsIntoTheNextYear) {
    const std::vector<PdfPage> pages = renderPages(Quarter, 2025, 11, false);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    // November 2025 has five weeks, December four; broadcast January 2026 starts on Monday
    // 29 December 2025 and has four weeks.
    EXPECT_NE(findTextOnBaseline(page, "*November 2025*", 75), nullptr);
    EXPECT_NE(findTextOnBaseline(page, "December 2025", 300), nullptr);
    EXPECT_NE(findTextOnBaseline(page, "January 2026", 525), nullptr);
    EXPECT_EQ(texts(weekLabels(page)),
              (std::vector<std::string>{"44", "45", "46", "47", "48", "49", "50", "51", "52", "1",
                                        "2", "3", "4"}));
    const std::vector<PdfText> januaryFirstWeek = dayRow(page, 525 + 50);
    ASSERT_EQ(januaryFirstWeek.size(), 7u);
    EXPECT_EQ(texts(januaryFirstWeek),
              (std::vector<std::string>{"29", "30", "31", "1", "2", "3", "4"}));
    for (std::size_t column = 0; column < 7; ++column)
        EXPECT_EQ(januaryFirstWeek[column].font, column < 3 ? "Helvetica-Bold" : "Helvetica");
}

// 2023 is a 53-week year: its December has five weeks and the fourth quarter fourteen.
TEST(QuarterPage, QuarterLabelsMoveTheWeekLabelsAndRestartInTheNewYear) {
    const std::vector<PdfPage> pages = renderPages(Quarter, 2023, 11, true);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    EXPECT_NE(findTextOnBaseline(page, "November 2023", 75), nullptr);
    EXPECT_NE(findTextOnBaseline(page, "*December 2023*", 300), nullptr);
    EXPECT_NE(findTextOnBaseline(page, "January 2024", 525), nullptr);
    const std::vector<PdfText> labels = weekLabels(page);
    EXPECT_EQ(texts(labels),
              (std::vector<std::string>{"45/4Q06", "46/4Q07", "47/4Q08", "48/4Q09", "49/4Q10",
                                        "50/4Q11", "51/4Q12", "52/4Q13", "53/4Q14", "1/1Q01",
                                        "2/1Q02", "3/1Q03", "4/1Q04"}));
    for (const PdfText& label : labels)
        EXPECT_NEAR(rightEdge(label), 122, 0.01);
    ASSERT_EQ(labels.size(), 13u);
    EXPECT_EQ(labels[8].y, 300 + 174);
    for (const PdfText& heading : textsEqualTo(page, "Wk#"))
        EXPECT_EQ(heading.x, 78);
}
