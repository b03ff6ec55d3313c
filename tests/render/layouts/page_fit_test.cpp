#include "common/text.h"
#include "layout_pages.h"
#include "render/layouts/layouts.h"
#include "render/primitives.h"
#include "render/request.h"
#include "support/test_files.h"
#include "support/test_images.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {
// Helvetica's capital height and descender depth, as fractions of the font size.
constexpr double kCapHeight = 0.718;
// An accented capital (É, Á, Ó) rises to about this much.
constexpr double kAccentedCapHeight = 0.93;
constexpr const char* kAccentedCapitals[] = {"Á", "É", "Í", "Ó", "Ú", "À", "È", "Ê", "Ç", "Ñ"};
constexpr double kDescender = 0.21;
// Texts may touch: a descender's box corner may graze a letter's box below by this much.
constexpr double kAllowedOverlap = 0.3;

struct TextBox {
    double left, right, top, bottom;
    const PdfText* text;
};

TextBox boxOf(const PdfText& text) {
    const bool descends = text.text.find_first_of("gjpqy") != std::string::npos;
    const bool accentedCapital = std::any_of(
        std::begin(kAccentedCapitals), std::end(kAccentedCapitals),
        [&text](const char* capital) { return text.text.find(capital) != std::string::npos; });
    const double rise = accentedCapital ? kAccentedCapHeight : kCapHeight;
    return {text.x, rightEdge(text), text.y - rise * text.size,
            text.y + (descends ? kDescender * text.size : 0.0), &text};
}

std::string describe(const TextBox& box) {
    return "'" + box.text->text + "' at (" + std::to_string(box.text->x) + ", " +
           std::to_string(box.text->y) + ")";
}

// Every text lies on the page, no two texts overlap and no rule runs through a text.
void expectPageFits(const PdfPage& page, const std::string& what) {
    std::vector<TextBox> boxes;
    for (const PdfText& text : page.texts)
        boxes.push_back(boxOf(text));
    for (const TextBox& box : boxes) {
        EXPECT_TRUE(box.left >= 0 && box.right <= page.width && box.top >= 0 &&
                    box.bottom <= page.height)
            << what << ": " << describe(box) << " leaves the page";
    }
    std::sort(boxes.begin(), boxes.end(),
              [](const TextBox& a, const TextBox& b) { return a.top < b.top; });
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            if (boxes[j].top >= boxes[i].bottom - kAllowedOverlap) break;
            const double across =
                std::min(boxes[i].right, boxes[j].right) - std::max(boxes[i].left, boxes[j].left);
            const double down =
                std::min(boxes[i].bottom, boxes[j].bottom) - std::max(boxes[i].top, boxes[j].top);
            EXPECT_FALSE(across > kAllowedOverlap && down > kAllowedOverlap)
                << what << ": " << describe(boxes[i]) << " overlaps " << describe(boxes[j]);
        }
    }
    for (const PdfLine& line : page.lines) {
        EXPECT_TRUE(std::min(line.x1, line.x2) >= 0 && std::max(line.x1, line.x2) <= page.width &&
                    std::min(line.y1, line.y2) >= 0 && std::max(line.y1, line.y2) <= page.height)
            << what << ": a line leaves the page";
        const bool horizontal = line.y1 == line.y2;
        const bool vertical = line.x1 == line.x2;
        for (const TextBox& box : boxes) {
            const bool crosses = horizontal ? line.y1 > box.top + kAllowedOverlap &&
                                                  line.y1 < box.bottom - kAllowedOverlap &&
                                                  std::max(line.x1, line.x2) > box.left &&
                                                  std::min(line.x1, line.x2) < box.right
                                 : vertical ? line.x1 > box.left + kAllowedOverlap &&
                                                  line.x1 < box.right - kAllowedOverlap &&
                                                  std::max(line.y1, line.y2) > box.top &&
                                                  std::min(line.y1, line.y2) < box.bottom
                                            : false;
            EXPECT_FALSE(crosses) << what << ": a rule runs through " << describe(box);
        }
    }
    for (const PdfImage& image : page.images) {
        const double right = image.x + image.width, bottom = image.top + image.height;
        EXPECT_TRUE(image.x >= 0 && right <= page.width && image.top >= 0 && bottom <= page.height)
            << what << ": the logo leaves the page";
        for (const TextBox& box : boxes)
            EXPECT_FALSE(box.left < right && box.right > image.x && box.top < bottom &&
                         box.bottom > image.top)
                << what << ": the logo covers " << describe(box);
        for (const PdfLine& line : page.lines)
            EXPECT_FALSE(
                std::min(line.x1, line.x2) < right && std::max(line.x1, line.x2) > image.x &&
                std::min(line.y1, line.y2) < bottom && std::max(line.y1, line.y2) > image.top)
                << what << ": a rule runs through the logo";
    }
}

struct Case {
    int style;
    int selection;
    const char* name;
};
const Case kCases[] = {{Month, kSelectAll, "month pages"},
                       {Quarter, kSelectAll, "quarter pages"},
                       {Quarter, 11, "quarter page from November"},
                       {Quarter, 12, "quarter page from December"},
                       {ThreeYears, 0, "three-year page"},
                       {KeyboardStrips, 0, "keyboard strips"},
                       {PlanningCalendar, 0, "planner"}};

// Each language with the holidays its users mark, whose names lengthen the texts.
struct LanguageCase {
    Language language;
    int holidays;
    const char* name;
};
const LanguageCase kLanguages[] = {
    {Language::English, NoHolidays, ""},
    {Language::English, UnitedStatesHolidays, " with US holidays"},
    {Language::French, CanadaHolidays, " in French with Canada's holidays"},
    {Language::Spanish, UnitedStatesHolidays, " in Spanish with US holidays"}};
} // namespace

// 2023 brings a 53-week year; quarter labels make the week labels their widest.
TEST(LayoutFit, EveryStyleKeepsItsTextsApartAndOnThePage) {
    for (const LanguageCase& language : kLanguages) {
        for (const Case& layout : kCases) {
            for (int year : {2023, 2024, 2025, 2026}) {
                for (bool quarterWeeks : {false, true}) {
                    const std::string what = std::string(layout.name) + " " + std::to_string(year) +
                                             (quarterWeeks ? " with quarter labels" : "") +
                                             language.name;
                    const std::vector<PdfPage> pages =
                        renderRequest({layout.style, year, layout.selection, quarterWeeks,
                                       language.holidays, language.language});
                    ASSERT_FALSE(pages.empty()) << what;
                    for (const PdfPage& page : pages)
                        expectPageFits(page, what);
                }
            }
        }
    }
}

// A wide and a tall logo and the longest credit line on every style: the logo keeps its shape,
// stands on the content margin a quarter inch or more from the paper's edges, clears every text
// and rule, and the line shrinks and is cut before it meets the five-week note. The wide one
// stands level with the middle of the tall one.
TEST(LayoutFit, CreditAndLogoKeepClearOfEverything) {
    struct Logo {
        const char* name;
        int width, height;
    };
    const std::string path = testing::TempDir() + "fit_logo.png";
    std::map<std::string, double> middles;
    for (const Logo logo :
         {Logo{"wide", 400, 60}, Logo{"tall", 60, 400}, Logo{"portrait", 60, 80}}) {
        writeText(path, pngPicture(logo.width, logo.height, PngRgb, 8));
        // Each style's content margin, where the logo's left edge stands.
        const std::pair<Case, double> layouts[] = {{Case{Year, 0, "year page"}, 54},
                                                   {kCases[0], 72},
                                                   {kCases[1], 72},
                                                   {kCases[4], 72},
                                                   {kCases[5], 29},
                                                   {kCases[6], 36}};
        for (const auto& [layout, margin] : layouts) {
            const std::string what = std::string(layout.name) + " with a " + logo.name + " logo";
            CalendarRequest request = {layout.style, 2026, layout.selection, true};
            request.credit = std::string(kCreditLimit, 'W');
            request.logo = path;
            const std::vector<PdfPage> pages = renderRequest(request);
            ASSERT_FALSE(pages.empty()) << what;
            for (const PdfPage& page : pages) {
                expectPageFits(page, what);
                ASSERT_EQ(page.images.size(), 1u) << what;
                const PdfImage& image = page.images[0];
                EXPECT_NEAR(image.width / image.height,
                            static_cast<double>(logo.width) / logo.height, 0.01)
                    << what;
                // Where office printers print: a quarter inch from every edge of the paper.
                EXPECT_DOUBLE_EQ(image.x, margin) << what;
                EXPECT_GE(image.top, 18) << what;
                EXPECT_LE(image.x + image.width, page.width - 18) << what;
                EXPECT_LE(image.top + image.height, page.height - 18) << what;
                // A portrait logo of 3 by 4 stays large enough to recognise.
                if (logo.height == 80) {
                    EXPECT_GE(std::min(image.width, image.height), 24) << what;
                    // It may take a taller box of its own.
                    continue;
                }
                // The three-year page gives a tall logo a taller box of its own.
                if (layout.style == ThreeYears) continue;
                const double middle = image.top + image.height / 2;
                if (!middles.count(layout.name)) middles[layout.name] = middle;
                EXPECT_NEAR(middle, middles[layout.name], 0.5) << what;
            }
        }
    }
}

// Every planner week's holidays from 1920 to 2100, as the notes column lays them out: 6 points
// at least, within the column.
TEST(LayoutFit, PlannerNotesKeepAReadableSizeInEveryYear) {
    // The notes in French and Spanish come from the build's catalogues.
    renderPages(PlanningCalendar, 2026, 0, false);
    HPDF_Doc document = HPDF_New(nullptr, nullptr);
    const HPDF_Font font = HPDF_GetFont(document, "Helvetica", "WinAnsiEncoding");
    for (const Language language : {Language::English, Language::French, Language::Spanish}) {
        for (int country : {UnitedStatesHolidays, CanadaHolidays}) {
            for (DateNumber monday = weekdayOnOrBefore(dateNumber(1, 1, 1920), Monday);
                 monday < dateNumber(1, 1, 2101); monday += 7) {
                const PlannerNote note = plannerNote(
                    font, holidayMarksBetween(country, monday, monday + 6, language), language);
                EXPECT_GE(note.size, 6) << note.text;
                EXPECT_LE(textWidth(font, note.size, note.text), kPlannerNotesWidth) << note.text;
            }
        }
    }
    HPDF_Free(document);
}
