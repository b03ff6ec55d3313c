#include "layout_pages.h"
#include "render/request.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
// Published grid: column edges, the centre of each weekday column, and the right end of the
// day numbers (three points inside each column's right edge).
const std::vector<double> kColumnEdges = {72, 165, 257, 350, 442, 535, 627, 720};
const std::vector<double> kWeekdayCentres = {118, 211, 303, 396, 488, 581, 673};
const std::vector<double> kDayRightEdges = {162, 254, 347, 439, 532, 624, 717};
const std::vector<std::string> kWeekdays = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                            "Friday", "Saturday", "Sunday"};

// Texts of the month grid (size 20) on one baseline.
std::vector<PdfText> dayRow(const PdfPage& page, double baseline) {
    std::vector<PdfText> days;
    for (const PdfText& text : textsOnBaseline(page, baseline))
        if (text.size == 20) days.push_back(text);
    return days;
}

// Week labels stand in the Monday column, left-aligned two points inside it.
std::vector<PdfText> weekLabels(const PdfPage& page) {
    std::vector<PdfText> labels;
    for (const PdfText& text : page.texts)
        if (std::abs(text.x - 74) < 0.01 && text.size == 14) labels.push_back(text);
    return labels;
}
} // namespace

// November 2026 runs from Monday 26 October to Sunday 29 November: five weeks, weeks 44-48.
TEST(MonthPage, FiveWeekMonthHasFiveRowsAStarAndTheFootnote) {
    const std::vector<PdfPage> pages = renderPages(Month, 2026, 11, false);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    EXPECT_EQ(page.width, 792);
    EXPECT_EQ(page.height, 612);

    const PdfText* heading = findTextOnBaseline(page, "November 2026*", 36);
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->font, "Helvetica-Bold");
    EXPECT_EQ(heading->size, 20);
    EXPECT_NEAR(centreOf(*heading), 396, 0.01);
    const PdfText* subtitle = findTextOnBaseline(page, "STANDARD BROADCAST CALENDAR", 51);
    ASSERT_NE(subtitle, nullptr);
    EXPECT_NEAR(centreOf(*subtitle), 396, 0.01);

    EXPECT_EQ(horizontalRuleHeights(page, 0.3),
              (std::vector<double>{54, 70, 171, 272, 373, 474, 576}));
    for (const PdfLine& line : page.lines) {
        if (line.y1 != line.y2) continue;
        EXPECT_EQ(std::min(line.x1, line.x2), 72);
        EXPECT_EQ(std::max(line.x1, line.x2), 720);
    }
    for (double x : kColumnEdges) {
        const std::vector<PdfLine> lines = verticalLinesAt(page, x);
        ASSERT_EQ(lines.size(), 1u) << x;
        EXPECT_EQ(std::min(lines[0].y1, lines[0].y2), 54);
        EXPECT_EQ(std::max(lines[0].y1, lines[0].y2), 576);
        EXPECT_EQ(lines[0].width, 0);
    }

    const PdfText* footnote = findTextOnBaseline(page, "* denotes 5-week month", 583);
    ASSERT_NE(footnote, nullptr);
    EXPECT_EQ(footnote->x, 72);
    EXPECT_EQ(footnote->font, "Helvetica");
    EXPECT_EQ(footnote->size, 8);
    const std::vector<PdfText> footer = textsOnBaseline(page, 583);
    ASSERT_EQ(footer.size(), 2u);
    EXPECT_NE(footer[1].text.find("Merivane"), std::string::npos);
    EXPECT_NEAR(rightEdge(footer[1]), 720, 0.01);

    // Even rows tops sit 20 points above the day baseline, odd ones 19.
    const std::vector<double> baselines = {90, 190, 292, 392, 494};
    const std::vector<std::vector<std::string>> days = {{"26", "27", "28", "29", "30", "31", "1"},
                                                        {"2", "3", "4", "5", "6", "7", "8"},
                                                        {"9", "10", "11", "12", "13", "14", "15"},
                                                        {"16", "17", "18", "19", "20", "21", "22"},
                                                        {"23", "24", "25", "26", "27", "28", "29"}};
    for (std::size_t row = 0; row < baselines.size(); ++row) {
        const std::vector<PdfText> texts = dayRow(page, baselines[row]);
        ASSERT_EQ(texts.size(), 7u) << "row " << row + 1;
        for (std::size_t column = 0; column < 7; ++column) {
            EXPECT_EQ(texts[column].text, days[row][column]);
            EXPECT_NEAR(rightEdge(texts[column]), kDayRightEdges[column], 0.01);
            // The October days of the first row are bold (an even month), November's regular.
            const bool october = row == 0 && column < 6;
            EXPECT_EQ(texts[column].font, october ? "Helvetica-Bold" : "Helvetica")
                << texts[column].text;
        }
    }

    const std::vector<PdfText> labels = weekLabels(page);
    ASSERT_EQ(labels.size(), 5u);
    const std::vector<double> labelBaselines = {169, 270, 371, 472, 573};
    for (std::size_t row = 0; row < labels.size(); ++row) {
        EXPECT_EQ(labels[row].text, std::to_string(44 + row));
        EXPECT_EQ(labels[row].y, labelBaselines[row]);
        EXPECT_EQ(labels[row].font, "Helvetica-Bold");
        EXPECT_TRUE(isRed(labels[row].fill));
    }
}

// February 2026 runs from Monday 26 January to Sunday 22 February: four weeks, weeks 5-8 of
// the first quarter.
TEST(MonthPage, FourWeekMonthHasTallerRowsAndQuarterLabelsWithASlash) {
    const std::vector<PdfPage> pages = renderPages(Month, 2026, 2, true);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    EXPECT_NE(findTextOnBaseline(page, "February 2026", 36), nullptr);
    EXPECT_EQ(findText(page, "* denotes 5-week month"), nullptr);
    EXPECT_EQ(horizontalRuleHeights(page, 0.3), (std::vector<double>{54, 70, 196, 322, 448, 576}));

    const std::vector<double> baselines = {90, 216, 342, 468};
    for (std::size_t row = 0; row < baselines.size(); ++row)
        EXPECT_EQ(dayRow(page, baselines[row]).size(), 7u) << "row " << row + 1;
    const std::vector<PdfText> firstRow = dayRow(page, 90);
    ASSERT_EQ(firstRow.size(), 7u);
    EXPECT_EQ(firstRow[0].text, "26");
    EXPECT_EQ(firstRow[0].font, "Helvetica"); // 26 January, an odd month
    EXPECT_EQ(firstRow[5].text, "31");
    EXPECT_EQ(firstRow[5].font, "Helvetica");
    EXPECT_EQ(firstRow[6].text, "1");
    EXPECT_EQ(firstRow[6].font, "Helvetica-Bold");

    const std::vector<PdfText> labels = weekLabels(page);
    const std::vector<std::string> expected = {"5/1Q05", "6/1Q06", "7/1Q07", "8/1Q08"};
    const std::vector<double> labelBaselines = {194, 320, 446, 572};
    ASSERT_EQ(labels.size(), expected.size());
    for (std::size_t row = 0; row < labels.size(); ++row) {
        EXPECT_EQ(labels[row].text, expected[row]);
        EXPECT_EQ(labels[row].y, labelBaselines[row]);
    }

    for (std::size_t column = 0; column < kWeekdays.size(); ++column) {
        const PdfText* name = findTextOnBaseline(page, kWeekdays[column], 67);
        ASSERT_NE(name, nullptr) << kWeekdays[column];
        EXPECT_NEAR(centreOf(*name), kWeekdayCentres[column], 0.01);
        EXPECT_EQ(name->size, 14);
    }
}

// Five-week months: 2024 March, June, September, December; 2025 March, June, August,
// November; 2026 March, May, August, November.
TEST(MonthPage, AllTwelveMonthsStarExactlyTheFiveWeekMonths) {
    const std::vector<std::pair<int, std::vector<bool>>> years = {
        {2024, {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}},
        {2025, {0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 0}},
        {2026, {0, 0, 1, 0, 1, 0, 0, 1, 0, 0, 1, 0}}};
    const std::vector<std::string> months = {"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};
    for (const auto& [year, fiveWeeks] : years) {
        const std::vector<PdfPage> pages = renderPages(Month, year, kSelectAll, false);
        ASSERT_EQ(pages.size(), 12u) << year;
        for (std::size_t month = 0; month < 12; ++month) {
            const PdfPage& page = pages[month];
            EXPECT_EQ(page.width, 792);
            EXPECT_EQ(page.height, 612);
            const std::string heading =
                months[month] + " " + std::to_string(year) + (fiveWeeks[month] ? "*" : "");
            EXPECT_NE(findTextOnBaseline(page, heading, 36), nullptr) << heading;
            EXPECT_EQ(findText(page, "* denotes 5-week month") != nullptr, fiveWeeks[month])
                << heading;
            EXPECT_EQ(weekLabels(page).size(), fiveWeeks[month] ? 5u : 4u) << heading;
        }
    }
}

// Week numbers run on from page to page: 1 on broadcast January's first row, 52 at the end.
TEST(MonthPage, WeekNumbersContinueAcrossTheYearAndQuarterLabelsRestart) {
    const std::vector<PdfPage> pages = renderPages(Month, 2024, kSelectAll, true);
    ASSERT_EQ(pages.size(), 12u);
    int expectedWeek = 1;
    for (const PdfPage& page : pages) {
        for (const PdfText& label : weekLabels(page)) {
            const std::string number = std::to_string(expectedWeek);
            EXPECT_EQ(label.text.substr(0, label.text.find('/')), number);
            ++expectedWeek;
        }
    }
    EXPECT_EQ(expectedWeek, 53);
    // In 2024 the week of 25 March ends the first quarter and the week of 1 April starts the
    // second.
    EXPECT_EQ(weekLabels(pages[0]).front().text, "1/1Q01");
    EXPECT_EQ(weekLabels(pages[2]).back().text, "13/1Q13");
    EXPECT_EQ(weekLabels(pages[3]).front().text, "14/2Q01");
    EXPECT_EQ(weekLabels(pages[11]).back().text, "52/4Q13");
}

TEST(MonthPage, BroadcastJanuaryStartsWithBoldDecemberDays) {
    // Broadcast January 2025 starts on Monday 30 December 2024.
    const std::vector<PdfPage> pages = renderPages(Month, 2025, 1, false);
    ASSERT_EQ(pages.size(), 1u);
    const std::vector<PdfText> firstRow = dayRow(pages[0], 90);
    ASSERT_EQ(firstRow.size(), 7u);
    const std::vector<std::string> days = {"30", "31", "1", "2", "3", "4", "5"};
    for (std::size_t column = 0; column < 7; ++column) {
        EXPECT_EQ(firstRow[column].text, days[column]);
        EXPECT_EQ(firstRow[column].font, column < 2 ? "Helvetica-Bold" : "Helvetica");
    }
    ASSERT_FALSE(weekLabels(pages[0]).empty());
    EXPECT_EQ(weekLabels(pages[0]).front().text, "1");
}
