#include "render/layouts/layouts.h"

#include "render/primitives.h"

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

void drawFiveWeekNote(const GenerationRequest& request, int x, int y, int size) {
    drawText(request.drawing.page, "* denotes 5-week month", x, y, request.drawing.regularFont,
             size, AlignLeft);
}
