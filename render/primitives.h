#pragma once
#include <hpdf.h>
#include <string>

struct Colour {
    float red;
    float green;
    float blue;
};

constexpr Colour kBlack = {0.0f, 0.0f, 0.0f};
constexpr Colour kRed = {1.0f, 0.0f, 0.0f};

enum TextAlignment { AlignLeft = 0, AlignRight = 1, AlignCentre = 2 };

// All coordinates are points with y measured down from the top edge; only these routines
// convert to the PDF library's upward coordinates.
void drawText(HPDF_Page page, const std::string& text, int x, int y, HPDF_Font font, int size,
              int alignment);
void drawRule(HPDF_Page page, int x1, int x2, int y, Colour colour, float width);
void drawLine(HPDF_Page page, int x1, int y1, int x2, int y2, int width);
void drawVerticalLine(HPDF_Page page, int x, int y, int rise, int length);
void fillRectangle(HPDF_Page page, Colour colour, int bottomY, int x, int width, int height,
                   int outlined);
void setFillColour(HPDF_Page page, Colour colour);
// The width in points of a text in the font at the size, as the text primitive measures it.
float textWidth(HPDF_Font font, int size, const std::string& text);
