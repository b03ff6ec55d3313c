#include "layout_pages.h"
#include "render/layouts/layouts.h"
#include "render/request.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
constexpr double kFirstStripTop = 80;
constexpr double kStripPitch = 57;

// The texts of strip n (0 to 8), moved up to where the first strip stands.
std::vector<PdfText> stripTexts(const PdfPage& page, int strip) {
    const double top = kFirstStripTop + kStripPitch * strip;
    std::vector<PdfText> texts;
    for (const PdfText& text : page.texts) {
        if (text.y < top - 1 || text.y >= top + kStripPitch - 1) continue;
        PdfText moved = text;
        moved.y -= kStripPitch * strip;
        texts.push_back(moved);
    }
    return texts;
}
} // namespace

TEST(KeyboardStripPage, NineIdenticalStripsOnALandscapeLegalPage) {
    const std::vector<PdfPage> pages = renderPages(KeyboardStrips, 2024, 0, false);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    EXPECT_EQ(page.width, 1008);
    EXPECT_EQ(page.height, 612);

    const std::vector<PdfText> first = stripTexts(page, 0);
    // Per month: name, year, seven weekday letters and seven days per week; 2024 has 52 weeks.
    EXPECT_EQ(first.size(), 12u * 9u + 52u * 7u);
    // And the credit line under the last strip, on the right margin.
    EXPECT_EQ(page.texts.size(), 9 * first.size() + 1);
    ASSERT_NE(findText(page, kCreditLine), nullptr);
    EXPECT_NEAR(rightEdge(*findText(page, kCreditLine)), 968, 0.05);
    for (int strip = 1; strip < 9; ++strip) {
        const std::vector<PdfText> other = stripTexts(page, strip);
        ASSERT_EQ(other.size(), first.size()) << "strip " << strip + 1;
        for (std::size_t i = 0; i < first.size(); ++i) {
            EXPECT_EQ(other[i].text, first[i].text);
            EXPECT_EQ(other[i].x, first[i].x);
            EXPECT_EQ(other[i].y, first[i].y);
            EXPECT_EQ(other[i].font, first[i].font);
            EXPECT_EQ(other[i].size, first[i].size);
        }
    }
    // No week labels and no colour: every text is black.
    for (const PdfText& text : page.texts)
        EXPECT_TRUE(isBlack(text.fill)) << text.text;

    // One hairline under each month's weekday letters, 8 points below the name line.
    ASSERT_EQ(page.lines.size(), 9u * 12u);
    for (int strip = 0; strip < 9; ++strip)
        EXPECT_EQ(horizontalLinesAt(page, kFirstStripTop + kStripPitch * strip + 8).size(), 12u);
    for (const PdfLine& line : page.lines)
        EXPECT_NEAR(line.width, 0.1, 1e-6);

    // Strips stay clear of the page's bottom edge: the lowest row is at most 578.
    double lowest = 0;
    for (const PdfText& text : page.texts)
        if (text.text != kCreditLine) lowest = std::max(lowest, text.y);
    EXPECT_EQ(lowest, 536 + 42);
}

TEST(KeyboardStripPage, MonthNamesStarTheFiveWeekMonthsAndEndAtTheRightMargin) {
    const std::vector<std::pair<int, std::vector<std::string>>> years = {
        {2024,
         {"January", "February", "March*", "April", "May", "June*", "July", "August", "September*",
          "October", "November", "December*"}},
        {2026,
         {"January", "February", "March*", "April", "May*", "June", "July", "August*", "September",
          "October", "November*", "December"}}};
    for (const auto& [year, names] : years) {
        const std::vector<PdfPage> pages = renderPages(KeyboardStrips, year, 0, false);
        ASSERT_EQ(pages.size(), 1u);
        const std::vector<PdfText> nameLine = textsOnBaseline(pages[0], kFirstStripTop);
        ASSERT_EQ(nameLine.size(), 24u) << year;
        for (std::size_t month = 0; month < 12; ++month) {
            const PdfText& name = nameLine[2 * month];
            const PdfText& yearText = nameLine[2 * month + 1];
            EXPECT_EQ(name.text, names[month]);
            EXPECT_EQ(name.x, 29 + 79 * month);
            EXPECT_EQ(name.font, "Helvetica-Bold");
            EXPECT_EQ(name.size, 7);
            EXPECT_EQ(yearText.text, std::to_string(year));
            EXPECT_NEAR(rightEdge(yearText), 29 + 79 * month + 70, 0.01);
        }
        EXPECT_NEAR(rightEdge(nameLine.back()), 968, 0.01);
    }
}

TEST(KeyboardStripPage, FirstBlockOf2025StartsWithBoldDecemberDays) {
    const std::vector<PdfPage> pages = renderPages(KeyboardStrips, 2025, 0, false);
    ASSERT_EQ(pages.size(), 1u);
    // Broadcast January 2025 starts on Monday 30 December 2024; its first row stands two
    // steps of 7 under the name line.
    std::vector<PdfText> row;
    for (const PdfText& text : textsOnBaseline(pages[0], kFirstStripTop + 14))
        if (text.x < 29 + 79) row.push_back(text);
    ASSERT_EQ(row.size(), 7u);
    const std::vector<std::string> days = {"30", "31", "1", "2", "3", "4", "5"};
    for (std::size_t column = 0; column < 7; ++column) {
        EXPECT_EQ(row[column].text, days[column]);
        EXPECT_EQ(row[column].size, 7);
        EXPECT_NEAR(rightEdge(row[column]), 29 + 10 * (column + 1), 0.01);
        EXPECT_EQ(row[column].font, column < 2 ? "Helvetica-Bold" : "Helvetica");
    }
    std::vector<PdfText> letters;
    for (const PdfText& text : textsOnBaseline(pages[0], kFirstStripTop + 7))
        if (text.x < 29 + 79) letters.push_back(text);
    ASSERT_EQ(letters.size(), 7u);
    const std::string expected = "MTWTFSS";
    for (std::size_t column = 0; column < 7; ++column) {
        EXPECT_EQ(letters[column].text, expected.substr(column, 1));
        EXPECT_EQ(letters[column].font, "Helvetica");
        EXPECT_EQ(letters[column].size, 6);
    }
}
