#include "common/text.h"

std::string trimBlanks(std::string_view text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> splitText(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string capitalFirstLetter(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

namespace {

constexpr char32_t kMalformed = 0xFFFFFFFF;

// The code point starting at text[pos], advancing pos past it; kMalformed (one byte consumed)
// for an invalid, overlong or truncated sequence or a surrogate.
char32_t nextCodePoint(std::string_view text, std::size_t& pos) {
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    ++pos;
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        value = lead & 0x07;
    } else {
        return kMalformed;
    }
    if (pos + static_cast<std::size_t>(extra) > text.size()) return kMalformed;
    for (int i = 0; i < extra; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return kMalformed;
        value = (value << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return kMalformed;
    pos += static_cast<std::size_t>(extra);
    return value;
}

// Control characters, and the invisible ones that steer text without showing (zero-width
// spaces and joiners, direction marks and embeddings, the byte order mark): a line printed in
// code page 1252 would show each as "?".
bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

// Code page 1252's bytes 0x80 to 0x9F; 0 where the byte is unassigned.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The plain letter of each character from U+0100 to U+017F (Latin Extended-A).
constexpr std::string_view kLatinExtendedBase =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOo"
    "RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(kLatinExtendedBase.size() == 0x80);

// The byte for a character outside Latin-1 and code page 1252's own extra characters.
char nearestByte(char32_t c) {
    if (c >= 0x100 && c <= 0x17F) return kLatinExtendedBase[c - 0x100];
    if (c == 0x2010 || c == 0x2011 || c == 0x2012 || c == 0x2212) return '-';
    if (c == 0x2015) return '\x97';
    if ((c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000) return ' ';
    if (c == 0x2032) return '\'';
    if (c == 0x2033) return '"';
    return '?';
}

} // namespace

std::string singleLineText(std::string_view utf8, std::size_t maxCharacters) {
    std::string line;
    std::size_t count = 0, pos = 0;
    while (pos < utf8.size() && count < maxCharacters) {
        const std::size_t start = pos;
        const char32_t c = nextCodePoint(utf8, pos);
        if (c == kMalformed) {
            line += '?';
        } else if (isControl(c)) {
            continue;
        } else {
            line.append(utf8.substr(start, pos - start));
        }
        ++count;
    }
    return line;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0, pos = 0;
    while (pos < utf8.size()) {
        nextCodePoint(utf8, pos);
        ++count;
    }
    return count;
}

std::string middleElided(std::string_view utf8, std::size_t maxCharacters) {
    const std::size_t count = characterCount(utf8);
    if (count <= maxCharacters || maxCharacters < 2) return std::string(utf8);
    const std::size_t keptAtStart = (maxCharacters - 1) / 3;
    const std::size_t keptAtEnd = maxCharacters - 1 - keptAtStart;
    std::size_t startEnd = 0, endStart = 0;
    for (std::size_t seen = 0, pos = 0; pos < utf8.size(); ++seen) {
        if (seen == keptAtStart) startEnd = pos;
        if (seen == count - keptAtEnd) endStart = pos;
        nextCodePoint(utf8, pos);
    }
    return std::string(utf8.substr(0, startEnd)) + "\u2026" + std::string(utf8.substr(endStart));
}

std::string windows1252Text(std::string_view utf8) {
    std::string converted;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t c = nextCodePoint(utf8, pos);
        if (c == kMalformed) {
            converted += '?';
            continue;
        }
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            converted += static_cast<char>(c);
            continue;
        }
        char byte = 0;
        for (int i = 0; i < 32 && byte == 0; ++i)
            if (kWindows1252High[i] != 0 && kWindows1252High[i] == c)
                byte = static_cast<char>(0x80 + i);
        converted += byte != 0 ? byte : nearestByte(c);
    }
    return converted;
}
