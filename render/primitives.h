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

// The text as the pages' fonts encode it (WinAnsiEncoding, Windows-1252) from UTF-8. The
// apostrophe and grave accent become the typographic quotes the standard encoding always printed
// for them; a character the encoding lacks becomes its nearest plain letter, else "?".
std::string pageEncodedText(const std::string& text);
// The text as a document property takes it (PDFDocEncoding): ASCII as it is, Latin-1 letters
// from UTF-8, nearest plain letters for others, "?" for anything else.
std::string documentInfoText(const std::string& text);

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
// Whether the text holds a capital with an accent (É, Á), which rises above the other capitals.
bool hasAccentedCapital(const std::string& text);
// The preferred size, or the largest smaller one down to smallest at which the text is no wider
// than width.
int fittingSize(HPDF_Font font, int preferred, int smallest, const std::string& text, float width);
