#include "layout_pages.h"

#include "common/translate.h"
#include "render/generate.h"
#include "render/request.h"
#include "support/test_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
constexpr double kTolerance = 0.01;

bool near(double a, double b) {
    return std::abs(a - b) < kTolerance;
}
} // namespace

std::vector<PdfPage> renderPages(int style, int year, int selection, bool quarterWeeks) {
    return renderRequest({style, year, selection, quarterWeeks});
}

std::vector<PdfPage> renderRequest(const CalendarRequest& request, std::string* bytes) {
    // The build's catalogues lie in locale/ in the tests' folder.
    static const bool translated = [] {
        char path[4096] = {};
        const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        const std::string file(path, length > 0 ? static_cast<std::size_t>(length) : 0);
        startTranslations(file.substr(0, file.rfind('/')));
        return true;
    }();
    (void)translated;
    static int documentCount = 0;
    const std::string path = testing::TempDir() + "layouts_" + std::to_string(getpid()) + "_" +
                             std::to_string(++documentCount) + ".pdf";
    if (!WriteCalendarFile(request, path)) {
        ADD_FAILURE() << "no calendar written for style " << request.style << ", year "
                      << request.year;
        return {};
    }
    if (bytes) *bytes = readText(path);
    std::vector<PdfPage> pages = pagesOf(path);
    std::remove(path.c_str());
    return pages;
}

double rightEdge(const PdfText& text) {
    return text.x + standardTextWidth(text.font, text.size, text.text);
}

double centreOf(const PdfText& text) {
    return text.x + standardTextWidth(text.font, text.size, text.text) / 2.0;
}

bool isColour(const PdfRgb& colour, double red, double green, double blue) {
    return near(colour.red, red) && near(colour.green, green) && near(colour.blue, blue);
}

bool isBlack(const PdfRgb& colour) {
    return isColour(colour, 0, 0, 0);
}
bool isRed(const PdfRgb& colour) {
    return isColour(colour, 1, 0, 0);
}

std::vector<PdfText> textsOnBaseline(const PdfPage& page, double y) {
    std::vector<PdfText> found;
    for (const PdfText& text : page.texts)
        if (near(text.y, y)) found.push_back(text);
    std::stable_sort(found.begin(), found.end(),
                     [](const PdfText& a, const PdfText& b) { return a.x < b.x; });
    return found;
}

std::vector<PdfText> textsEndingAt(const PdfPage& page, double x) {
    std::vector<PdfText> found;
    for (const PdfText& text : page.texts)
        if (std::abs(rightEdge(text) - x) < 0.05) found.push_back(text);
    std::stable_sort(found.begin(), found.end(),
                     [](const PdfText& a, const PdfText& b) { return a.y < b.y; });
    return found;
}

const PdfText* findTextOnBaseline(const PdfPage& page, const std::string& text, double y) {
    for (const PdfText& candidate : page.texts)
        if (candidate.text == text && near(candidate.y, y)) return &candidate;
    return nullptr;
}

std::vector<PdfLine> verticalLinesAt(const PdfPage& page, double x) {
    std::vector<PdfLine> found;
    for (const PdfLine& line : page.lines)
        if (near(line.x1, x) && near(line.x2, x) && !near(line.y1, line.y2)) found.push_back(line);
    return found;
}

std::vector<double> horizontalRuleHeights(const PdfPage& page, double width) {
    std::vector<double> heights;
    for (const PdfLine& line : page.lines)
        if (near(line.y1, line.y2) && !near(line.x1, line.x2) && near(line.width, width))
            heights.push_back(line.y1);
    std::sort(heights.begin(), heights.end());
    heights.erase(
        std::unique(heights.begin(), heights.end(), [](double a, double b) { return near(a, b); }),
        heights.end());
    return heights;
}
