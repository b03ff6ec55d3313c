#include "calendar/broadcast.h"
#include "render/layouts/layouts.h"

#include <gtest/gtest.h>

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
    computeBroadcastYear(year);
    return request;
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

// A page that runs past December leaves the broadcast calendar on the following year.
TEST(LayoutGeometry, LayoutsThatReachALaterYearRecomputeTheCalendar) {
    GenerationRequest quarter = freshRequest(Quarter, 2025);
    ASSERT_NE(quarter.drawing.document, nullptr);
    drawQuarterPage(quarter, 11);
    // Broadcast 2026 starts on Monday 29 December 2025.
    EXPECT_EQ(global::broadcastYear.firstDay, dateNumber(12, 29, 2025));
    HPDF_Free(quarter.drawing.document);

    GenerationRequest threeYears = freshRequest(ThreeYears, 2024);
    ASSERT_NE(threeYears.drawing.document, nullptr);
    drawThreeYearPage(threeYears);
    // Broadcast 2027 starts on Monday 28 December 2026.
    EXPECT_EQ(global::broadcastYear.firstDay, dateNumber(12, 28, 2026));
    HPDF_Free(threeYears.drawing.document);
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
