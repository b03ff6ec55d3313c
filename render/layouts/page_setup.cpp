#include "render/layouts/layouts.h"

#include "render/primitives.h"

#include <algorithm>
#include <string>

HPDF_Page addLayoutPage(GenerationRequest& request, HPDF_PageSizes size,
                        HPDF_PageDirection direction) {
    request.drawing.page = HPDF_AddPage(request.drawing.document);
    HPDF_Page_SetSize(request.drawing.page, size, direction);
    return request.drawing.page;
}

void setPageGeometry(DrawingState& drawing, int width, int height, int leftMarginX,
                     int rightMarginX) {
    drawing.pageWidth = width;
    drawing.pageHeight = height;
    drawing.leftMarginX = leftMarginX;
    drawing.rightMarginX = rightMarginX;
    drawing.centreX = width / 2;
}

namespace {
constexpr const char* kFiveWeekNote = "* denotes 5-week month";
constexpr int kFooterGap = 12;
// The ellipsis of code page 1252.
constexpr const char* kEllipsis = "\x85";
} // namespace

void drawFiveWeekNote(const GenerationRequest& request, int x, int y, int size) {
    drawText(request.drawing.page, kFiveWeekNote, x, y, request.drawing.regularFont, size,
             AlignLeft);
}

float fiveWeekNoteRoom(const GenerationRequest& request, int size) {
    return textWidth(request.drawing.regularFont, size, kFiveWeekNote) + kFooterGap;
}

void drawCredit(const GenerationRequest& request, int x, int y, int size, int alignment,
                float width) {
    const DrawingState& drawing = request.drawing;
    if (drawing.credit.empty()) {
        drawText(drawing.page, kCreditLine, x, y, drawing.regularFont, size, alignment);
        return;
    }
    std::string text = drawing.credit;
    while (size > kSmallestCreditSize && textWidth(drawing.creditFont, size, text) > width)
        --size;
    if (textWidth(drawing.creditFont, size, text) > width) {
        while (!text.empty() && (text.back() == ' ' ||
                                 textWidth(drawing.creditFont, size, text + kEllipsis) > width))
            text.pop_back();
        text += kEllipsis;
    }
    drawText(drawing.page, text, x, y, drawing.creditFont, size, alignment);
}

void drawLogo(const GenerationRequest& request, LogoBox box) {
    const DrawingState& drawing = request.drawing;
    if (!drawing.logo) return;
    const float imageWidth = static_cast<float>(HPDF_Image_GetWidth(drawing.logo));
    const float imageHeight = static_cast<float>(HPDF_Image_GetHeight(drawing.logo));
    if (imageWidth <= 0 || imageHeight <= 0) return;
    const float scale = std::min(static_cast<float>(box.width) / imageWidth,
                                 static_cast<float>(box.height) / imageHeight);
    const float width = imageWidth * scale, height = imageHeight * scale;
    const float top = static_cast<float>(box.top) + (static_cast<float>(box.height) - height) / 2;
    HPDF_Page_DrawImage(drawing.page, drawing.logo, static_cast<float>(box.x),
                        HPDF_Page_GetHeight(drawing.page) - top - height, width, height);
}
