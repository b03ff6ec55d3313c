#include "render/layouts/layouts.h"

#include "calendar/dates.h"
#include "common/text.h"

#include "render/primitives.h"

#include <algorithm>
#include <string>

namespace {
constexpr const char* kWeekdayAbbreviations[8] = {"",        N_("Mon"), N_("Tue"), N_("Wed"),
                                                  N_("Thu"), N_("Fri"), N_("Sat"), N_("Sun")};
constexpr const char* kWeekdayShortNames[8] = {"",       N_("Mo"), N_("Tu"), N_("We"),
                                               N_("Th"), N_("Fr"), N_("Sa"), N_("Su")};

Language pageLanguage(const GenerationRequest& request) {
    return request.calendar.language;
}

// Character number index (from 0) of UTF-8 text; empty past its end.
std::string nthCharacter(const std::string& text, std::size_t index) {
    std::size_t start = 0;
    for (;;) {
        if (start >= text.size()) return "";
        std::size_t end = start + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        if (index == 0) return text.substr(start, end - start);
        --index;
        start = end;
    }
}
} // namespace

std::string monthName(const GenerationRequest& request, int month) {
    return capitalFirstLetter(translateIn(pageLanguage(request), kMonthNames[month]));
}

std::string weekdayName(const GenerationRequest& request, int weekday) {
    return capitalFirstLetter(translateIn(pageLanguage(request), kWeekdayNames[weekday]));
}

std::string weekdayAbbreviation(const GenerationRequest& request, int weekday) {
    return translateIn(pageLanguage(request), kWeekdayAbbreviations[weekday]);
}

std::string weekdayShortName(const GenerationRequest& request, int weekday) {
    return translateIn(pageLanguage(request), kWeekdayShortNames[weekday]);
}

std::string weekdayInitial(const GenerationRequest& request, int weekday) {
    // One letter a day, Monday first; the letters stand apart so two days may share one.
    return nthCharacter(translateIn(pageLanguage(request), "M T W T F S S"),
                        2 * static_cast<std::size_t>(weekday - Monday));
}

std::string creditLine(const GenerationRequest& request) {
    return translateIn(pageLanguage(request), kCreditLine);
}

std::string spacedTitle(const std::string& title) {
    std::string spaced;
    for (std::size_t index = 0;; ++index) {
        const std::string character = nthCharacter(title, index);
        if (character.empty()) return spaced;
        if (index > 0) spaced += " ";
        if (character != " ") spaced += character;
    }
}

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
constexpr int kFooterGap = 12;
constexpr const char* kEllipsis = "\u2026";

std::string fiveWeekNote(const GenerationRequest& request) {
    return translateIn(pageLanguage(request), "* denotes 5-week month");
}

// Removes the last UTF-8 character whole, so a cut never leaves half a letter.
void dropLastCharacter(std::string& text) {
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
        text.pop_back();
    if (!text.empty()) text.pop_back();
}
} // namespace

void drawFiveWeekNote(const GenerationRequest& request, int x, int y, int size) {
    drawText(request.drawing.page, fiveWeekNote(request), x, y, request.drawing.regularFont, size,
             AlignLeft);
}

float fiveWeekNoteRoom(const GenerationRequest& request, int size) {
    return textWidth(request.drawing.regularFont, size, fiveWeekNote(request)) + kFooterGap;
}

void drawCredit(const GenerationRequest& request, int x, int y, int size, int alignment,
                float width) {
    const DrawingState& drawing = request.drawing;
    if (drawing.credit.empty()) {
        drawText(drawing.page, creditLine(request), x, y, drawing.regularFont, size, alignment);
        return;
    }
    std::string text = drawing.credit;
    while (size > kSmallestCreditSize && textWidth(drawing.regularFont, size, text) > width)
        --size;
    if (textWidth(drawing.regularFont, size, text) > width) {
        while (!text.empty() && (text.back() == ' ' ||
                                 textWidth(drawing.regularFont, size, text + kEllipsis) > width))
            dropLastCharacter(text);
        text += kEllipsis;
    }
    drawText(drawing.page, text, x, y, drawing.regularFont, size, alignment);
}

namespace {
// A style's boxes for the logo: the first suits wide logos; where the first is too low for a tall
// logo to print at a usable size, the second is a narrower, taller one (empty otherwise). Every
// style prints a portrait logo of 3 by 4 with no side under 24 points.
struct StyleLogoBoxes {
    LogoBox first;
    LogoBox second;
};
// In the order of CalendarStyle.
constexpr StyleLogoBoxes kLogoBoxes[] = {
    {},
    // Month pages: left of the heading, above the grid.
    {{72, 18, 150, 34}, {}},
    // Quarter pages: between the title and the first month's rule, left of its heading.
    {{72, 44, 130, 33}, {}},
    // The year page: at the top left, beside the title and the year.
    {{54, 18, 92, 92}, {}},
    // The three-year page: left of the title's rules, above the first year; a tall logo also
    // takes the room left of that year and its first month.
    {{72, 18, 76, 16}, {72, 18, 28, 36}},
    // Keyboard strips: in the margin above the first strip.
    {{29, 18, 160, 54}, {}},
    // The planner: at the top left, left of the title and above the rule under it.
    {{36, 18, 58, 44}, {}},
};

// How large a picture prints in the box, as a share of its own size.
double fitIn(LogoBox box, double width, double height) {
    return std::min(box.width / width, box.height / height);
}
} // namespace

LogoBox logoBoxOf(int style, int imageWidth, int imageHeight) {
    if (style < Month || style > PlanningCalendar || imageWidth < 1 || imageHeight < 1) return {};
    const StyleLogoBoxes& boxes = kLogoBoxes[style];
    if (boxes.second.width == 0) return boxes.first;
    return fitIn(boxes.second, imageWidth, imageHeight) >
                   fitIn(boxes.first, imageWidth, imageHeight)
               ? boxes.second
               : boxes.first;
}

void drawLogo(const GenerationRequest& request) {
    const DrawingState& drawing = request.drawing;
    if (!drawing.logo) return;
    const float imageWidth = static_cast<float>(drawing.logoWidth);
    const float imageHeight = static_cast<float>(drawing.logoHeight);
    if (imageWidth <= 0 || imageHeight <= 0) return;
    const LogoBox box = logoBoxOf(request.calendar.style, drawing.logoWidth, drawing.logoHeight);
    const float scale = std::min(static_cast<float>(box.width) / imageWidth,
                                 static_cast<float>(box.height) / imageHeight);
    const float width = imageWidth * scale, height = imageHeight * scale;
    const float top = static_cast<float>(box.top) + (static_cast<float>(box.height) - height) / 2;
    HPDF_Page_DrawImage(drawing.page, drawing.logo, static_cast<float>(box.x),
                        HPDF_Page_GetHeight(drawing.page) - top - height, width, height);
}
