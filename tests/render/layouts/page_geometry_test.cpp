#include "calendar/broadcast.h"
#include "render/layouts/layouts.h"
#include "support/pdf_content.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
// A fresh document with the three fonts, as generation prepares it.
GenerationRequest freshRequest(int style, int year) {
    GenerationRequest request = {};
    request.calendar = {style, year, 0, false};
    request.drawing.document = HPDF_New(nullptr, nullptr);
    HPDF_Doc document = request.drawing.document;
    request.drawing.regularFont = HPDF_GetFont(document, "Helvetica", nullptr);
    request.drawing.boldFont = HPDF_GetFont(document, "Helvetica-Bold", nullptr);
    request.drawing.boldObliqueFont = HPDF_GetFont(document, "Helvetica-BoldOblique", nullptr);
    request.broadcastYear = broadcastYearTable(year);
    return request;
}

// Saves and frees the request's document, and reads its pages back.
std::vector<PdfPage> savedPages(GenerationRequest& request) {
    const std::string path = testing::TempDir() + "geometry_" + std::to_string(getpid()) + ".pdf";
    EXPECT_EQ(HPDF_SaveToFile(request.drawing.document, path.c_str()), HPDF_OK);
    HPDF_Free(request.drawing.document);
    std::vector<PdfPage> pages = pagesOf(path);
    std::remove(path.c_str());
    return pages;
}

// What a page says and where.
std::string pageText(const PdfPage& page) {
    std::string all;
    for (const PdfText& text : page.texts)
        all += text.text + " " + std::to_string(text.x) + "," + std::to_string(text.y) + "\n";
    return all;
}

void expectGeometry(const DrawingState& drawing, int width, int height, int left, int right,
                    int centre) {
    EXPECT_EQ(drawing.pageWidth, width);
    EXPECT_EQ(drawing.pageHeight, height);
    EXPECT_EQ(drawing.leftMarginX, left);
    EXPECT_EQ(drawing.rightMarginX, right);
    EXPECT_EQ(drawing.centreX, centre);
}
} // namespace

// The month and quarter layouts set the geometry on a document's first page only; the
// one-page layouts set theirs every time, and the planner none at all.
TEST(LayoutGeometry, MonthAndQuarterPagesKeepTheGeometryOfTheFirstPage) {
    GenerationRequest month = freshRequest(Month, 2026);
    ASSERT_NE(month.drawing.document, nullptr);
    drawMonthPage(month, 1);
    expectGeometry(month.drawing, 792, 612, 72, 720, 396);
    EXPECT_EQ(HPDF_Page_GetWidth(month.drawing.page), 792);
    month.drawing.pageWidth = 1;
    drawMonthPage(month, 2);
    EXPECT_EQ(month.drawing.pageWidth, 1);
    EXPECT_EQ(HPDF_Page_GetWidth(month.drawing.page), 792);
    HPDF_Free(month.drawing.document);

    GenerationRequest quarter = freshRequest(Quarter, 2026);
    ASSERT_NE(quarter.drawing.document, nullptr);
    drawQuarterPage(quarter, 1);
    expectGeometry(quarter.drawing, 612, 792, 72, 540, 306);
    quarter.drawing.pageWidth = 1;
    drawQuarterPage(quarter, 4);
    EXPECT_EQ(quarter.drawing.pageWidth, 1);
    HPDF_Free(quarter.drawing.document);
}

TEST(LayoutGeometry, OnePageLayoutsSetTheirOwnGeometry) {
    GenerationRequest threeYears = freshRequest(ThreeYears, 2026);
    ASSERT_NE(threeYears.drawing.document, nullptr);
    threeYears.drawing.pageWidth = 1;
    drawThreeYearPage(threeYears);
    expectGeometry(threeYears.drawing, 612, 792, 72, 540, 306);
    HPDF_Free(threeYears.drawing.document);

    // The strips record 1004 points although their Legal page is 1008 wide.
    GenerationRequest strips = freshRequest(KeyboardStrips, 2026);
    ASSERT_NE(strips.drawing.document, nullptr);
    strips.drawing.pageWidth = 1;
    drawKeyboardStripPage(strips);
    expectGeometry(strips.drawing, 1004, 612, 29, 968, 502);
    EXPECT_EQ(HPDF_Page_GetWidth(strips.drawing.page), 1008);
    HPDF_Free(strips.drawing.document);

    GenerationRequest planner = freshRequest(PlanningCalendar, 2026);
    ASSERT_NE(planner.drawing.document, nullptr);
    drawPlannerPage(planner);
    expectGeometry(planner.drawing, 0, 0, 0, 0, 0);
    EXPECT_EQ(HPDF_Page_GetWidth(planner.drawing.page), 612);
    EXPECT_EQ(HPDF_Page_GetHeight(planner.drawing.page), 792);
    // The planner's running y ends on its credit line: 26 + 19 + 19 below the last row,
    // whose cursor is 100 + 11 × 51 in a 52-week year.
    EXPECT_EQ(planner.drawing.runningY, 661 + 64);
    HPDF_Free(planner.drawing.document);
}

// Pages that run into later years leave the request on its own year: what is drawn next is the
// same as on a fresh request.
TEST(LayoutGeometry, ALayoutDoesNotDependOnWhatWasDrawnBefore) {
    GenerationRequest alone = freshRequest(Year, 2025);
    ASSERT_NE(alone.drawing.document, nullptr);
    drawYearPage(alone);
    const std::vector<PdfPage> expected = savedPages(alone);
    ASSERT_EQ(expected.size(), 1u);
    for (int before : {Quarter, ThreeYears}) {
        GenerationRequest request = freshRequest(Year, 2025);
        ASSERT_NE(request.drawing.document, nullptr);
        if (before == Quarter) drawQuarterPage(request, 11);
        if (before == ThreeYears) drawThreeYearPage(request);
        drawYearPage(request);
        const std::vector<PdfPage> pages = savedPages(request);
        ASSERT_EQ(pages.size(), 2u) << before;
        EXPECT_EQ(pageText(pages[1]), pageText(expected[0])) << before;
    }
}

// A month number outside 1 to 12 names no page: nothing is added and the request is untouched.
TEST(LayoutGeometry, MonthNumbersOutsideTheYearAddNoPage) {
    GenerationRequest request = freshRequest(Month, 2026);
    ASSERT_NE(request.drawing.document, nullptr);
    for (int month : {0, 13, -1}) {
        drawMonthPage(request, month);
        drawQuarterPage(request, month);
    }
    EXPECT_EQ(request.drawing.page, nullptr);
    EXPECT_EQ(request.drawing.pageWidth, 0);
    EXPECT_EQ(HPDF_GetCurrentPage(request.drawing.document), nullptr);
    HPDF_Free(request.drawing.document);
}
