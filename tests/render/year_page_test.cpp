// The Year page as a reader sees it: generated through the real document code, read back from
// the saved PDF, and compared with a broadcast calendar worked out here with std::chrono.
#include "render/generate.h"
#include "support/pdf_content.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono;

const char* const kMonths[13] = {"",        "January",  "February", "March",  "April",
                                 "May",     "June",     "July",     "August", "September",
                                 "October", "November", "December"};
const char* const kWeekdays[8] = {"", "Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};
// Right edges of the day columns, from a block's left edge.
const int kColumns[8] = {0, 13, 40, 67, 94, 121, 148, 175};
constexpr double kTolerance = 0.01;

// Broadcast months worked out independently: from the Monday on or before the 1st to the
// Sunday on or before the last day.
sys_days monthStart(int y, unsigned m) {
    const sys_days first = year{y} / month{m} / day{1};
    return first - (weekday{first} - Monday);
}

sys_days monthEnd(int y, unsigned m) {
    const sys_days lastDay = year{y} / month{m} / last;
    return lastDay - (weekday{lastDay} - Sunday);
}

int weeksOf(int y, unsigned m) {
    return static_cast<int>((monthEnd(y, m) - monthStart(y, m)).count() + 1) / 7;
}

std::string expectedWeekLabel(int y, unsigned m, sys_days monday, bool quarters) {
    const int week = static_cast<int>((monday - monthStart(y, 1)).count()) / 7 + 1;
    std::string label = std::to_string(week);
    if (!quarters) return label;
    const unsigned quarter = (m + 2) / 3;
    const int inQuarter =
        static_cast<int>((monday - monthStart(y, 3 * quarter - 2)).count()) / 7 + 1;
    char text[32];
    std::snprintf(text, sizeof text, "-%uQ%02d", quarter, inQuarter);
    return label + text;
}

double rightEnd(const PdfText& t) {
    return t.x + standardTextWidth(t.font, t.size, t.text);
}

bool isBlack(const PdfRgb& c) {
    return c.red == 0 && c.green == 0 && c.blue == 0;
}
bool isRed(const PdfRgb& c) {
    return c.red == 1 && c.green == 0 && c.blue == 0;
}

// Texts on one baseline whose left end lies in [fromX, toX), left to right.
std::vector<PdfText> textsOnRow(const PdfPage& page, double y, double fromX, double toX) {
    std::vector<PdfText> row;
    for (const PdfText& t : page.texts)
        if (std::abs(t.y - y) < kTolerance && t.x >= fromX && t.x < toX) row.push_back(t);
    std::sort(row.begin(), row.end(), [](const PdfText& a, const PdfText& b) { return a.x < b.x; });
    return row;
}

struct YearPdf {
    std::vector<PdfPage> pages;
};

YearPdf yearPage(int year, bool quarters) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("year-page-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / ("year-" + std::to_string(year) + ".pdf")).string();
    YearPdf pdf;
    const CalendarRequest request = {Year, year, 0, quarters};
    EXPECT_TRUE(WriteCalendarFile(request, path));
    pdf.pages = pagesOf(path);
    std::filesystem::remove_all(folder);
    return pdf;
}

TEST(YearPage, OneLetterPortraitPageUnderASpacedTitleAndTheYearInRed) {
    const YearPdf pdf = yearPage(2025, false);
    ASSERT_EQ(pdf.pages.size(), 1u);
    const PdfPage& page = pdf.pages[0];
    EXPECT_EQ(page.width, 612);
    EXPECT_EQ(page.height, 792);

    const PdfText* title = findText(page, "S T A N D A R D  B R O A D C A S T  C A L E N D A R");
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR((title->x + rightEnd(*title)) / 2, 306, kTolerance);
    EXPECT_EQ(title->y, 60);
    EXPECT_EQ(title->font, "Helvetica-Bold");
    EXPECT_EQ(title->size, 12);
    EXPECT_TRUE(isBlack(title->fill));

    const auto years = textsEqualTo(page, "2025");
    const auto large =
        std::find_if(years.begin(), years.end(), [](const PdfText& t) { return t.size == 40; });
    ASSERT_NE(large, years.end());
    EXPECT_NEAR((large->x + rightEnd(*large)) / 2, 306, kTolerance);
    EXPECT_EQ(large->y, 96);
    EXPECT_EQ(large->font, "Helvetica-Bold");
    EXPECT_TRUE(isRed(large->fill));

    // The title stands between two rules that frame it above and just below its baseline.
    for (const double y : {49.0, 61.0}) {
        const auto rules = horizontalLinesAt(page, y);
        ASSERT_EQ(rules.size(), 1u) << "rule at " << y;
        EXPECT_EQ(std::min(rules[0].x1, rules[0].x2), 154);
        EXPECT_EQ(std::max(rules[0].x1, rules[0].x2), 458);
        EXPECT_NEAR(rules[0].width, 0.7, 1e-4);
        EXPECT_TRUE(isBlack(rules[0].stroke));
    }
}

// Every month block, for years with four- and five-week months, a 53-week year, and both
// settings of the quarter designation: the heading, the weekday names, one row per broadcast
// week with the right dates in the right weights, and the red week labels beside them.
TEST(YearPage, EveryBroadcastWeekStandsInItsMonthBlockWithItsWeekLabel) {
    for (const int y : {2023, 2024, 2025, 2026}) {
        for (const bool quarters : {false, true}) {
            SCOPED_TRACE("year " + std::to_string(y) + (quarters ? " with" : " without") +
                         " quarter labels");
            const YearPdf pdf = yearPage(y, quarters);
            ASSERT_EQ(pdf.pages.size(), 1u);
            const PdfPage& page = pdf.pages[0];
            std::size_t textsSeen = 0;
            double bandNameY = 141;
            for (unsigned left = 1; left <= 6; ++left) {
                const int rows = std::max(weeksOf(y, left), weeksOf(y, left + 6));
                for (const unsigned m : {left, left + 6}) {
                    SCOPED_TRACE(kMonths[m]);
                    const double blockX = m <= 6 ? 54 : 378;
                    const double labelRight = m <= 6 ? 280 : (quarters ? 363 : 345);
                    const int weeks = weeksOf(y, m);
                    const std::string heading = std::string(kMonths[m]) + (weeks == 5 ? "*" : "");

                    const auto headingRow = textsOnRow(page, bandNameY, blockX, blockX + 176);
                    ASSERT_EQ(headingRow.size(), 2u);
                    EXPECT_EQ(headingRow[0].text, heading);
                    EXPECT_EQ(headingRow[0].x, blockX);
                    EXPECT_EQ(headingRow[1].text, std::to_string(y));
                    EXPECT_NEAR(rightEnd(headingRow[1]), blockX + 175, kTolerance);
                    for (const PdfText& t : headingRow) {
                        EXPECT_EQ(t.font, "Helvetica-Bold");
                        EXPECT_EQ(t.size, 12);
                    }

                    const auto names = textsOnRow(page, bandNameY + 11, blockX, blockX + 176);
                    ASSERT_EQ(names.size(), 7u);
                    for (int k = 1; k <= 7; ++k) {
                        EXPECT_EQ(names[k - 1].text, kWeekdays[k]);
                        EXPECT_NEAR(rightEnd(names[k - 1]), blockX + kColumns[k], kTolerance);
                        EXPECT_EQ(names[k - 1].font, "Helvetica-BoldOblique");
                        EXPECT_EQ(names[k - 1].size, 8);
                    }
                    for (const double ruleY : {bandNameY + 5, bandNameY + 12}) {
                        const auto rules = horizontalLinesAt(page, ruleY);
                        EXPECT_EQ(std::count_if(rules.begin(), rules.end(),
                                                [&](const PdfLine& l) {
                                                    return std::min(l.x1, l.x2) == blockX &&
                                                           std::max(l.x1, l.x2) == blockX + 175 &&
                                                           std::abs(l.width - 0.1) < 1e-4;
                                                }),
                                  1)
                            << "weekday rule at " << ruleY;
                    }
                    textsSeen += headingRow.size() + names.size();

                    sys_days monday = monthStart(y, m);
                    for (int row = 0; row < rows; ++row, monday += days{7}) {
                        const double rowY = bandNameY + 24 + 13 * row;
                        // A wide two-digit Monday may start a fraction left of the block.
                        const auto dayTexts = textsOnRow(page, rowY, blockX - 10, blockX + 176);
                        // Both columns' week labels stand in the gap between the blocks.
                        const auto labels = textsOnRow(page, rowY, 229.5, 378);
                        const auto labelOf =
                            std::find_if(labels.begin(), labels.end(), [&](const PdfText& t) {
                                return rightEnd(t) > labelRight - 0.5 &&
                                       rightEnd(t) < labelRight + 0.5;
                            });
                        if (row >= weeks) {
                            // The shorter month of a band leaves its last row empty.
                            EXPECT_TRUE(dayTexts.empty()) << "row " << row + 1;
                            EXPECT_EQ(labelOf, labels.end()) << "row " << row + 1;
                            continue;
                        }
                        ASSERT_EQ(dayTexts.size(), 7u) << "row " << row + 1;
                        for (int k = 1; k <= 7; ++k) {
                            const year_month_day date{monday + std::chrono::days{k - 1}};
                            const PdfText& t = dayTexts[k - 1];
                            EXPECT_EQ(t.text, std::to_string(unsigned(date.day())));
                            EXPECT_NEAR(rightEnd(t), blockX + kColumns[k], kTolerance);
                            EXPECT_EQ(t.size, 12);
                            EXPECT_EQ(t.font, unsigned(date.month()) % 2 == 0 ? "Helvetica-Bold"
                                                                              : "Helvetica");
                            EXPECT_TRUE(isBlack(t.fill));
                        }
                        ASSERT_NE(labelOf, labels.end()) << "week label of row " << row + 1;
                        EXPECT_EQ(labelOf->text, expectedWeekLabel(y, m, monday, quarters));
                        EXPECT_EQ(labelOf->font, "Helvetica-BoldOblique");
                        EXPECT_EQ(labelOf->size, 11);
                        EXPECT_TRUE(isRed(labelOf->fill));
                        textsSeen += dayTexts.size() + 1;
                    }
                    EXPECT_EQ(monday - days{7 * (rows - weeks)}, monthEnd(y, m) + days{1});
                }
                // The next band's names stand 28 points below the band's last week row.
                bandNameY += 24 + 13 * (rows - 1) + 28;
            }
            // Title, large year, two "Wk" headings and the two footer lines are all that remain.
            EXPECT_EQ(page.texts.size(), textsSeen + 6);
        }
    }
}

TEST(YearPage, FiftyThreeWeekYearEndsWithWeekFiftyThreeInDecember) {
    for (const bool quarters : {false, true}) {
        const YearPdf pdf = yearPage(2023, quarters);
        ASSERT_EQ(pdf.pages.size(), 1u);
        const std::string label = quarters ? "53-4Q14" : "53";
        const PdfText* last = findText(pdf.pages[0], label);
        ASSERT_NE(last, nullptr) << label;
        // The fifth row of December, beside the Monday 25 December 2023.
        const auto row = textsOnRow(pdf.pages[0], last->y, 368, 554);
        ASSERT_EQ(row.size(), 7u);
        EXPECT_EQ(row[0].text, "25");
        EXPECT_EQ(row[6].text, "31");
        EXPECT_EQ(findText(pdf.pages[0], quarters ? "54-1Q01" : "54"), nullptr);
    }
}

TEST(YearPage, WeekColumnHeadingsStayPutWhenQuarterLabelsMoveTheRightLabels) {
    for (const bool quarters : {false, true}) {
        const YearPdf pdf = yearPage(2024, quarters);
        ASSERT_EQ(pdf.pages.size(), 1u);
        const auto headings = textsEqualTo(pdf.pages[0], "Wk");
        ASSERT_EQ(headings.size(), 2u);
        std::vector<double> ends;
        for (const PdfText& t : headings) {
            EXPECT_EQ(t.y, 139);
            EXPECT_EQ(t.font, "Helvetica-BoldOblique");
            EXPECT_EQ(t.size, 11);
            ends.push_back(rightEnd(t));
        }
        std::sort(ends.begin(), ends.end());
        EXPECT_NEAR(ends[0], 280, kTolerance);
        EXPECT_NEAR(ends[1], 345, kTolerance);
        // July's first week label: right-aligned with its heading, or further right with quarters.
        const PdfText* july = findText(pdf.pages[0], quarters ? "27-3Q01" : "27");
        ASSERT_NE(july, nullptr);
        EXPECT_NEAR(rightEnd(*july), quarters ? 363 : 345, kTolerance);
        EXPECT_EQ(july->y, 165);
    }
}

TEST(YearPage, FooterExplainsTheStarAndCreditsTheProgram) {
    const YearPdf pdf = yearPage(2025, false);
    ASSERT_EQ(pdf.pages.size(), 1u);
    const PdfPage& page = pdf.pages[0];
    const PdfText* note = findText(page, "* denotes 5-week month");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->x, 54);
    EXPECT_EQ(note->y, 748);
    EXPECT_EQ(note->font, "Helvetica");
    EXPECT_EQ(note->size, 7);
    const auto footer = textsOnRow(page, 748, 100, 612);
    ASSERT_EQ(footer.size(), 1u);
    EXPECT_NE(footer[0].text.find("Merivane"), std::string::npos);
    EXPECT_NEAR(rightEnd(footer[0]), 540, kTolerance);
    EXPECT_EQ(footer[0].font, "Helvetica");
    EXPECT_EQ(footer[0].size, 7);
}

// What the eye checks: only the year and the week labels are red, every rule is black, nothing
// leaves the page or runs below the footer, and no two texts of one line overlap.
TEST(YearPage, TextsStayApartOnThePageInBlackExceptTheRedOnes) {
    for (const bool quarters : {false, true}) {
        const YearPdf pdf = yearPage(2023, quarters);
        ASSERT_EQ(pdf.pages.size(), 1u);
        const PdfPage& page = pdf.pages[0];
        for (const PdfText& t : page.texts) {
            const bool redText = t.size == 40 || (t.size == 11 && t.text != "Wk");
            EXPECT_TRUE(redText ? isRed(t.fill) : isBlack(t.fill)) << t.text;
            EXPECT_GE(t.x, 36) << t.text;
            EXPECT_LE(rightEnd(t), 612 - 36) << t.text;
            EXPECT_LE(t.y, 748) << t.text;
            for (const PdfText& other : page.texts) {
                if (&other == &t || std::abs(other.y - t.y) > kTolerance || other.x < t.x) continue;
                EXPECT_GT(other.x, rightEnd(t)) << t.text << " runs into " << other.text;
            }
        }
        for (const PdfLine& l : page.lines)
            EXPECT_TRUE(isBlack(l.stroke));
    }
}

} // namespace
