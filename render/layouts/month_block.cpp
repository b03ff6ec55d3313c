#include "render/layouts/month_block.h"

#include "calendar/broadcast.h"
#include "render/primitives.h"

#include <string>

HPDF_Font dayFont(const DrawingState& drawing, int calendarMonth) {
    return calendarMonth % 2 == 0 ? drawing.boldFont : drawing.regularFont;
}

std::string weekLabel(const GenerationRequest& request, const BroadcastYearTable& table, int month,
                      DateNumber monday) {
    std::string label = std::to_string(weekNumber(table, monday));
    if (request.calendar.showQuarterWeeks) label += "/" + quarterLabel(table, month, monday);
    return label;
}

void drawWeekdayHeading(GenerationRequest& request, int leftX, int y, const int offsets[8],
                        int size) {
    HPDF_Page page = request.drawing.page;
    drawRule(page, leftX, leftX + offsets[7], y - 6, global::black, 0.1f);
    drawRule(page, leftX, leftX + offsets[7], y + 1, global::black, 0.1f);
    for (int weekday = Monday; weekday <= Sunday; ++weekday) {
        const std::string name(kWeekdayNames[weekday], 2);
        drawText(page, name, leftX + offsets[weekday], y, request.drawing.boldObliqueFont, size,
                 AlignRight);
    }
}

DateNumber drawWeekRow(DateNumber monday, GenerationRequest& request,
                       const BroadcastYearTable& table, int leftX, int y, const int offsets[8],
                       int size, int labelX) {
    HPDF_Page page = request.drawing.page;
    int month = 0, day = 0, year = 0;
    for (int weekday = Monday; weekday <= Sunday; ++weekday) {
        calendarDate(monday + weekday - 1, month, day, year);
        drawText(page, std::to_string(day), leftX + offsets[weekday], y,
                 dayFont(request.drawing, month), size, AlignRight);
    }
    const int style = request.calendar.style;
    if (style == Year || style == ThreeYears) {
        std::string label = std::to_string(weekNumber(table, monday));
        // month now holds the calendar month of the week's Sunday.
        if (request.calendar.showQuarterWeeks) label += "-" + quarterLabel(table, month, monday);
        setFillColour(page, global::red);
        drawText(page, label, labelX, y, request.drawing.boldObliqueFont, size - 1, AlignRight);
        setFillColour(page, global::black);
    }
    return monday + 7;
}
