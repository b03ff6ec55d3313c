// The drawing primitives, read back through the same reader every layout test uses.
#include "render/primitives.h"
#include "support/pdf_content.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <hpdf_utils.h>

namespace {

struct PrimitivesPage {
    HPDF_Doc doc;
    HPDF_Page page;
    HPDF_Font bold;
};

PrimitivesPage newPage(HPDF_PageDirection direction) {
    PrimitivesPage p{};
    p.doc = HPDF_New(nullptr, nullptr);
    HPDF_SetCompressionMode(p.doc, HPDF_COMP_ALL);
    p.bold = HPDF_GetFont(p.doc, "Helvetica-Bold", nullptr);
    p.page = HPDF_AddPage(p.doc);
    HPDF_Page_SetSize(p.page, HPDF_PAGE_SIZE_LETTER, direction);
    return p;
}

std::vector<PdfPage> saveAndRead(PrimitivesPage& p) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("primitives-" + std::to_string(getpid()) + ".pdf"))
                                 .string();
    HPDF_SaveToFile(p.doc, path.c_str());
    HPDF_Free(p.doc);
    std::vector<PdfPage> pages;
    std::string error;
    EXPECT_TRUE(readPdf(path, pages, error)) << error;
    std::remove(path.c_str());
    return pages;
}

TEST(Primitives, RulesConvertTopDownHeightsOnPortraitAndLandscapePages) {
    for (const auto& [direction, height] :
         {std::pair{HPDF_PAGE_PORTRAIT, 792.0}, std::pair{HPDF_PAGE_LANDSCAPE, 612.0}}) {
        PrimitivesPage p = newPage(direction);
        drawRule(p.page, 300, 100, 100, kRed, 0.7f);
        const auto pages = saveAndRead(p);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0].height, height);
        ASSERT_EQ(pages[0].lines.size(), 1u);
        const PdfLine& rule = pages[0].lines[0];
        EXPECT_DOUBLE_EQ(rule.y1, 100);
        EXPECT_DOUBLE_EQ(rule.x1, 300);
        EXPECT_DOUBLE_EQ(rule.x2, 100);
        EXPECT_NEAR(rule.width, 0.7, 1e-4);
        EXPECT_EQ(rule.stroke.red, 1.0);
    }
}

TEST(Primitives, TextAlignmentPlacesTheTextEnds) {
    PrimitivesPage p = newPage(HPDF_PAGE_PORTRAIT);
    drawText(p.page, "Right", 200, 50, p.bold, 12, AlignRight);
    drawText(p.page, "Centred text", 306, 70, p.bold, 12, AlignCentre);
    drawText(p.page, "Left", 72, 90, p.bold, 12, AlignLeft);
    drawText(p.page, "Nowhere", 72, 110, p.bold, 12, 3);
    const auto pages = saveAndRead(p);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    ASSERT_EQ(page.texts.size(), 3u) << "alignment code 3 must draw nothing";
    const PdfText* right = findText(page, "Right");
    ASSERT_NE(right, nullptr);
    EXPECT_NEAR(right->x + standardTextWidth("Helvetica-Bold", 12, "Right"), 200, 0.01);
    EXPECT_DOUBLE_EQ(right->y, 50);
    EXPECT_EQ(right->font, "Helvetica-Bold");
    EXPECT_EQ(right->size, 12);
    const PdfText* centred = findText(page, "Centred text");
    ASSERT_NE(centred, nullptr);
    EXPECT_NEAR(centred->x + standardTextWidth("Helvetica-Bold", 12, "Centred text") / 2, 306,
                0.01);
    EXPECT_DOUBLE_EQ(findText(page, "Left")->x, 72);
}

TEST(Primitives, RectangleSpansUpwardFromItsBottomAndResetsColours) {
    PrimitivesPage p = newPage(HPDF_PAGE_PORTRAIT);
    const Colour navy{0.0f, 0.0f, 0.6f};
    fillRectangle(p.page, navy, 89, 36, 540, 13, 0);
    drawText(p.page, "After", 72, 200, p.bold, 10, AlignLeft);
    const auto pages = saveAndRead(p);
    ASSERT_EQ(pages[0].rectangles.size(), 1u);
    const PdfRectangle& box = pages[0].rectangles[0];
    EXPECT_DOUBLE_EQ(box.top, 76);
    EXPECT_DOUBLE_EQ(box.top + box.height, 89);
    EXPECT_NEAR(box.fill.blue, 0.6, 1e-4);
    EXPECT_NEAR(box.stroke.blue, 0.6, 1e-4) << "an unoutlined box is edged in its own colour";
    EXPECT_NEAR(box.lineWidth, 0.6, 1e-4);
    EXPECT_TRUE(box.filled && box.stroked);
    EXPECT_EQ(findText(pages[0], "After")->fill.blue, 0.0) << "text after a box is black again";
}

TEST(Primitives, VerticalLineKeepsTheStateTheRuleLeft) {
    PrimitivesPage p = newPage(HPDF_PAGE_PORTRAIT);
    drawRule(p.page, 72, 540, 50, kRed, 0.3f);
    drawVerticalLine(p.page, 80, 100, 10, 30);
    const auto pages = saveAndRead(p);
    ASSERT_EQ(pages[0].lines.size(), 2u);
    const PdfLine& vertical = pages[0].lines[1];
    EXPECT_DOUBLE_EQ(vertical.y1, 90);
    EXPECT_DOUBLE_EQ(vertical.y2, 120);
    EXPECT_EQ(vertical.stroke.red, 0.0) << "a rule leaves the stroke colour black";
    EXPECT_NEAR(vertical.width, 0.3, 1e-4);
}

TEST(Primitives, FillColourStaysForFollowingTexts) {
    PrimitivesPage p = newPage(HPDF_PAGE_PORTRAIT);
    setFillColour(p.page, kRed);
    drawText(p.page, "One", 72, 100, p.bold, 10, AlignLeft);
    drawText(p.page, "Two", 72, 120, p.bold, 10, AlignLeft);
    drawLine(p.page, 72, 130, 72, 200, 0);
    const auto pages = saveAndRead(p);
    EXPECT_EQ(findText(pages[0], "Two")->fill.red, 1.0);
    ASSERT_EQ(pages[0].lines.size(), 1u);
    EXPECT_EQ(pages[0].lines[0].width, 0.0);
    EXPECT_DOUBLE_EQ(pages[0].lines[0].y2, 200);
}

// The faster buffer clearing stands in for the library's own, so it must keep its contract:
// the bytes set and the end of them returned.
TEST(Primitives, BufferClearingKeepsTheLibrarysContract) {
    unsigned char buffer[8];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(HPDF_MemSet(buffer, 0, 5), buffer + 5);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(buffer[i], i < 5 ? 0 : 0xAA) << i;
    EXPECT_EQ(HPDF_MemSet(buffer, 7, 0), buffer);
    EXPECT_EQ(buffer[0], 0);
}

} // namespace
