#include "render/primitives.h"

#include "common/text.h"

namespace {
// The real page height, so the conversion matches the page whatever the request records.
float upward(HPDF_Page page, int y) {
    return HPDF_Page_GetHeight(page) - static_cast<float>(y);
}
} // namespace

std::string pageEncodedText(const std::string& text) {
    std::string typographic;
    typographic.reserve(text.size());
    for (const char character : text) {
        if (character == '\'')
            typographic += "\u2019";
        else if (character == '`')
            typographic += "\u2018";
        else
            typographic += character;
    }
    return windows1252Text(typographic);
}

std::string documentInfoText(const std::string& text) {
    // PDFDocEncoding has other characters than code page 1252 at 0x80 to 0x9F: each code page
    // character there moved to its PDFDocEncoding code, 0 where it has none (the euro sign).
    static const unsigned char kPdfDocCodes[32] = {
        0, 0,    0x91, 0x86, 0x8C, 0x83, 0x81, 0x82, 0, 0x8B, 0x97, 0x88, 0x96, 0, 0x99, 0,
        0, 0x8F, 0x90, 0x8D, 0x8E, 0x80, 0x85, 0x84, 0, 0x92, 0x9D, 0x89, 0x9C, 0, 0x9E, 0x98};
    std::string encoded = windows1252Text(text);
    for (char& code : encoded) {
        const auto byte = static_cast<unsigned char>(code);
        if (byte < 0x80 || byte > 0x9F) continue;
        const unsigned char moved = kPdfDocCodes[byte - 0x80];
        code = moved != 0 ? static_cast<char>(moved) : '?';
    }
    return encoded;
}

void drawText(HPDF_Page page, const std::string& utf8Text, int x, int y, HPDF_Font font, int size,
              int alignment) {
    const std::string text = pageEncodedText(utf8Text);
    HPDF_Page_BeginText(page);
    HPDF_Page_SetFontAndSize(page, font, static_cast<float>(size));
    const float width = HPDF_Page_TextWidth(page, text.c_str());
    float left = static_cast<float>(x);
    bool draw = true;
    switch (alignment) {
    case AlignLeft:
        break;
    case AlignRight:
        left -= width;
        break;
    case AlignCentre:
        left -= width / 2.0f;
        break;
    default:
        draw = false;
        break;
    }
    if (draw) HPDF_Page_TextOut(page, left, upward(page, y), text.c_str());
    HPDF_Page_EndText(page);
}

void drawRule(HPDF_Page page, int x1, int x2, int y, Colour colour, float width) {
    HPDF_Page_SetRGBStroke(page, colour.red, colour.green, colour.blue);
    HPDF_Page_SetLineWidth(page, width);
    HPDF_Page_MoveTo(page, static_cast<float>(x1), upward(page, y));
    HPDF_Page_LineTo(page, static_cast<float>(x2), upward(page, y));
    HPDF_Page_Stroke(page);
    HPDF_Page_SetRGBStroke(page, 0.0f, 0.0f, 0.0f);
}

void drawLine(HPDF_Page page, int x1, int y1, int x2, int y2, int width) {
    HPDF_Page_SetLineWidth(page, static_cast<float>(width));
    HPDF_Page_MoveTo(page, static_cast<float>(x1), upward(page, y1));
    HPDF_Page_LineTo(page, static_cast<float>(x2), upward(page, y2));
    HPDF_Page_Stroke(page);
}

void drawVerticalLine(HPDF_Page page, int x, int y, int rise, int length) {
    const float top = upward(page, y - rise);
    HPDF_Page_MoveTo(page, static_cast<float>(x), top);
    HPDF_Page_LineTo(page, static_cast<float>(x), top - static_cast<float>(length));
    HPDF_Page_Stroke(page);
}

void fillRectangle(HPDF_Page page, Colour colour, int bottomY, int x, int width, int height,
                   int outlined) {
    HPDF_Page_SetLineWidth(page, 0.6f);
    const Colour outline = outlined != 0 ? kBlack : colour;
    HPDF_Page_SetRGBStroke(page, outline.red, outline.green, outline.blue);
    HPDF_Page_SetRGBFill(page, colour.red, colour.green, colour.blue);
    HPDF_Page_Rectangle(page, static_cast<float>(x), upward(page, bottomY),
                        static_cast<float>(width), static_cast<float>(height));
    HPDF_Page_FillStroke(page);
    HPDF_Page_SetRGBStroke(page, 0.0f, 0.0f, 0.0f);
    HPDF_Page_SetRGBFill(page, 0.0f, 0.0f, 0.0f);
}

void setFillColour(HPDF_Page page, Colour colour) {
    HPDF_Page_SetRGBFill(page, colour.red, colour.green, colour.blue);
}

float textWidth(HPDF_Font font, int size, const std::string& utf8Text) {
    const std::string text = pageEncodedText(utf8Text);
    const HPDF_TextWidth width =
        HPDF_Font_TextWidth(font, reinterpret_cast<const HPDF_BYTE*>(text.c_str()),
                            static_cast<HPDF_UINT>(text.size()));
    return static_cast<float>(width.width) * static_cast<float>(size) / 1000.0f;
}

bool hasAccentedCapital(const std::string& text) {
    for (const char code : windows1252Text(text)) {
        const unsigned char character = static_cast<unsigned char>(code);
        // Latin-1's capitals from À to Ý, less the multiplication sign and Eth.
        if (character >= 0xC0 && character <= 0xDD && character != 0xD7 && character != 0xD0)
            return true;
    }
    return false;
}

int fittingSize(HPDF_Font font, int preferred, int smallest, const std::string& text, float width) {
    int size = preferred;
    while (size > smallest && textWidth(font, size, text) > width)
        --size;
    return size;
}
