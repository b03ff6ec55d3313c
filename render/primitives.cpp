#include "render/primitives.h"

namespace {
constexpr char kUnknownCharacter = '?';

// Windows-1252's characters from 0x80 to 0x9F that are not the Unicode code point of the same
// number.
struct WindowsCharacter {
    char32_t unicode;
    unsigned char code;
};
constexpr WindowsCharacter kWindowsCharacters[] = {
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
};

// The next character of UTF-8 text at index, which moves past it; a malformed sequence reads as
// one unknown character per byte.
char32_t nextCharacter(const std::string& text, std::size_t& index) {
    const unsigned char lead = static_cast<unsigned char>(text[index++]);
    if (lead < 0x80) return lead;
    int following = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (following < 0 || index + static_cast<std::size_t>(following) > text.size()) return 0xFFFD;
    char32_t character = lead & (0x3F >> following);
    for (; following > 0; --following) {
        const unsigned char next = static_cast<unsigned char>(text[index]);
        if ((next & 0xC0) != 0x80) return 0xFFFD;
        character = (character << 6) | (next & 0x3F);
        ++index;
    }
    return character;
}

// A Windows-1252 code for the character, or the unknown character.
char windowsCode(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<char>(character);
    for (const WindowsCharacter& entry : kWindowsCharacters)
        if (entry.unicode == character) return static_cast<char>(entry.code);
    return kUnknownCharacter;
}

// The real page height, so the conversion matches the page whatever the request records.
float upward(HPDF_Page page, int y) {
    return HPDF_Page_GetHeight(page) - static_cast<float>(y);
}
} // namespace

std::string pageEncodedText(const std::string& text) {
    std::string encoded;
    encoded.reserve(text.size());
    for (std::size_t index = 0; index < text.size();) {
        const char32_t character = nextCharacter(text, index);
        if (character == U'\'')
            encoded += windowsCode(0x2019);
        else if (character == U'`')
            encoded += windowsCode(0x2018);
        else
            encoded += windowsCode(character);
    }
    return encoded;
}

std::string documentInfoText(const std::string& text) {
    std::string encoded;
    encoded.reserve(text.size());
    for (std::size_t index = 0; index < text.size();) {
        const char32_t character = nextCharacter(text, index);
        const bool latin = character < 0x80 || (character >= 0xA0 && character <= 0xFF);
        encoded += latin ? static_cast<char>(character) : kUnknownCharacter;
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
    for (std::size_t index = 0; index < text.size();) {
        const char32_t character = nextCharacter(text, index);
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
