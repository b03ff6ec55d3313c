#include "gui/rtf.h"

#include "common/numbers.h"
#include "gui/text_encoding.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr std::size_t kMaximumControlWordLength = 32;
constexpr std::size_t kMaximumSymbolFonts = 256;
constexpr int kMaximumUnicodeSkip = 16;
constexpr int kSymbolCharset = 2;
constexpr int kDefaultUnicodeSkip = 1;
constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kBullet = 0x2022;
constexpr unsigned char kSymbolBullet = 0xB7;

// Destinations whose content is never shown and may hold anything, even binary data.
constexpr std::array<std::string_view, 44> kSkippedDestinations = {
    "stylesheet", "info",         "pict",      "object",     "header",    "headerl",
    "headerr",    "headerf",      "footer",    "footerl",    "footerr",   "footerf",
    "footnote",   "annotation",   "fldinst",   "xe",         "tc",        "txe",
    "rxe",        "datafield",    "template",  "nonshppict", "listtable", "listoverridetable",
    "revtbl",     "rsidtbl",      "filetbl",   "pn",         "pntxta",    "pntxtb",
    "themedata",  "latentstyles", "generator", "private",    "bkmkstart", "bkmkend",
    "atnid",      "atnauthor",    "atndate",   "objdata",    "objclass",  "shpinst",
    "ftnsep",     "ftnsepc"};

enum Destination { DestinationText, DestinationFontTable, DestinationColourTable };

struct GroupState {
    RtfCharFormat format;
    RtfParagraphFormat paragraph;
    int unicodeSkip;
    int font;
    bool hidden;
    Destination destination;
};

struct ControlWord {
    std::string_view name;
    bool hasParameter;
    int parameter;
};

struct Reader {
    std::string_view input;
    std::size_t position;
    std::vector<GroupState> groups; // groups.front() is the state outside the outermost group
    std::vector<RtfColour> colours;
    RtfColour colourBeingRead;
    std::vector<int> symbolFonts;
    int fontBeingDefined;
    int charactersToSkip; // fallback characters still to skip after "\uN"
    char32_t highSurrogate;
    RtfParagraph paragraph;
    RtfDocument document;
    std::size_t cost;
    std::size_t paragraphCost; // text and runs of the paragraph being built
    bool finished;
};

constexpr RtfCharFormat kDefaultCharFormat = {false, false, false, 0, {false, 0, 0, 0}};
constexpr RtfParagraphFormat kDefaultParagraphFormat = {RtfAlignLeft, 0, 0, 0, 0};

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) return false;
    }
    return true;
}

int clampInt(int value, int lowest, int highest) {
    return std::min(std::max(value, lowest), highest);
}

bool sameFormat(const RtfCharFormat& a, const RtfCharFormat& b) {
    return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
           a.halfPoints == b.halfPoints && a.colour.isSet == b.colour.isSet &&
           a.colour.red == b.colour.red && a.colour.green == b.colour.green &&
           a.colour.blue == b.colour.blue;
}

GroupState& currentGroup(Reader& reader) {
    return reader.groups.back();
}

void stopAtLimit(Reader& reader) {
    reader.document.truncated = true;
    reader.finished = true;
}

// The paragraph being built is paid for when it starts, so it can always be kept at the end.
void finishParagraph(Reader& reader) {
    if (reader.cost + kRtfRecordCost > kRtfMaximumOutputBytes) return stopAtLimit(reader);
    reader.cost += kRtfRecordCost;
    reader.paragraph.format = currentGroup(reader).paragraph;
    reader.document.paragraphs.push_back(std::move(reader.paragraph));
    reader.paragraph = RtfParagraph{kDefaultParagraphFormat, {}};
    reader.paragraphCost = 0;
}

void appendToParagraph(Reader& reader, std::string_view utf8) {
    const GroupState& group = currentGroup(reader);
    std::vector<RtfRun>& runs = reader.paragraph.runs;
    bool needsRun = runs.empty() || !sameFormat(runs.back().format, group.format);
    std::size_t added = utf8.size() + (needsRun ? kRtfRecordCost : 0);
    if (!runs.empty() && reader.paragraphCost + added > kRtfMaximumParagraphBytes) {
        finishParagraph(reader);
        if (reader.finished) return;
        needsRun = true;
        added = utf8.size() + kRtfRecordCost;
    }
    if (reader.cost + added > kRtfMaximumOutputBytes) return stopAtLimit(reader);
    reader.cost += added;
    reader.paragraphCost += added;
    if (needsRun) runs.push_back(RtfRun{group.format, std::string()});
    runs.back().text.append(utf8);
}

void emitCodePoint(Reader& reader, char32_t codePoint) {
    const GroupState& group = currentGroup(reader);
    if (group.destination != DestinationText || group.hidden) return;
    if (reader.highSurrogate != 0) {
        const char32_t high = reader.highSurrogate;
        reader.highSurrogate = 0;
        if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) {
            codePoint = 0x10000 + ((high - 0xD800) << 10) + (codePoint - 0xDC00);
        } else {
            emitCodePoint(reader, kReplacementCharacter);
        }
    }
    if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
        reader.highSurrogate = codePoint;
        return;
    }
    if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) codePoint = kReplacementCharacter;
    if (!isShownCodePoint(codePoint)) return;
    std::string utf8;
    appendUtf8(utf8, codePoint);
    appendToParagraph(reader, utf8);
}

bool isSymbolFont(const Reader& reader, int font) {
    return std::find(reader.symbolFonts.begin(), reader.symbolFonts.end(), font) !=
           reader.symbolFonts.end();
}

// One character of text: a raw byte or "\'hh". Fallback characters after "\uN" are dropped here.
void emitByte(Reader& reader, unsigned char byte) {
    if (reader.charactersToSkip > 0) {
        --reader.charactersToSkip;
        return;
    }
    GroupState& group = currentGroup(reader);
    if (group.destination == DestinationColourTable && byte == ';') {
        if (reader.colours.size() < kRtfMaximumColours)
            reader.colours.push_back(reader.colourBeingRead);
        reader.colourBeingRead = RtfColour{false, 0, 0, 0};
        return;
    }
    if (group.destination != DestinationText) return;
    // WordPad and Word write list bullets as byte 0xB7 in the Symbol font.
    if (byte == kSymbolBullet && isSymbolFont(reader, group.font))
        return emitCodePoint(reader, kBullet);
    emitCodePoint(reader, windows1252ToUnicode(byte));
}

void emitSymbol(Reader& reader, char32_t codePoint) {
    if (reader.charactersToSkip > 0) {
        --reader.charactersToSkip;
        return;
    }
    emitCodePoint(reader, codePoint);
}

void keepLastParagraph(Reader& reader) {
    if (reader.paragraph.runs.empty()) return;
    reader.paragraph.format = currentGroup(reader).paragraph;
    reader.document.paragraphs.push_back(std::move(reader.paragraph));
}

// Reads "\word[-N][ ]" starting at the letters; the name keeps at most 32 letters, as RTF allows,
// but all of them are consumed, and the parameter saturates instead of overflowing.
ControlWord readControlWord(Reader& reader) {
    const std::string_view input = reader.input;
    const std::size_t nameStart = reader.position;
    while (reader.position < input.size() && isLetter(input[reader.position]))
        ++reader.position;
    const std::size_t nameLength = std::min(reader.position - nameStart, kMaximumControlWordLength);
    ControlWord word = {input.substr(nameStart, nameLength), false, 0};
    const std::size_t numberStart = reader.position;
    std::size_t digitsStart = numberStart;
    if (digitsStart < input.size() && input[digitsStart] == '-') ++digitsStart;
    std::size_t digitsEnd = digitsStart;
    while (digitsEnd < input.size() && isDigit(input[digitsEnd]))
        ++digitsEnd;
    if (digitsEnd > digitsStart) {
        word.hasParameter = true;
        word.parameter = leadingInteger(input.substr(numberStart, digitsEnd - numberStart));
        reader.position = digitsEnd;
    }
    if (reader.position < input.size() && input[reader.position] == ' ') ++reader.position;
    return word;
}

// Skips "\bin N" data: N raw bytes that may contain braces and backslashes.
void skipBinary(Reader& reader, const ControlWord& word) {
    if (!word.hasParameter || word.parameter <= 0) return;
    const std::size_t remaining = reader.input.size() - reader.position;
    reader.position += std::min(static_cast<std::size_t>(word.parameter), remaining);
}

// Consumes everything up to and including the "}" that closes the group we are in, without
// keeping any state per nested group, so depth costs nothing.
void skipRestOfGroup(Reader& reader) {
    std::size_t depth = 1;
    const std::string_view input = reader.input;
    while (reader.position < input.size()) {
        const char c = input[reader.position++];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0) return;
        } else if (c == '\\' && reader.position < input.size()) {
            if (!isLetter(input[reader.position])) {
                ++reader.position;
                continue;
            }
            const ControlWord word = readControlWord(reader);
            if (word.name == "bin") skipBinary(reader, word);
        }
    }
}

void closeGroup(Reader& reader) {
    reader.charactersToSkip = 0;
    if (reader.groups.size() > 1) reader.groups.pop_back();
    // The end of the outermost group ends the document; anything after it is not RTF.
    if (reader.groups.size() <= 1) reader.finished = true;
}

void skipDestination(Reader& reader) {
    skipRestOfGroup(reader);
    closeGroup(reader);
}

void openGroup(Reader& reader) {
    reader.charactersToSkip = 0;
    if (reader.groups.size() > kRtfMaximumGroupDepth) return skipRestOfGroup(reader);
    reader.groups.push_back(currentGroup(reader));
}

bool isSkippedDestination(std::string_view name) {
    return std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), name) !=
           kSkippedDestinations.end();
}

void rememberSymbolFont(Reader& reader, int charset) {
    if (charset != kSymbolCharset || isSymbolFont(reader, reader.fontBeingDefined)) return;
    if (reader.symbolFonts.size() < kMaximumSymbolFonts)
        reader.symbolFonts.push_back(reader.fontBeingDefined);
}

std::uint8_t colourComponent(const ControlWord& word) {
    return static_cast<std::uint8_t>(clampInt(word.parameter, 0, 255));
}

// Words read inside the font and colour tables; other words there change nothing shown.
void applyTableWord(Reader& reader, const ControlWord& word) {
    GroupState& group = currentGroup(reader);
    if (group.destination == DestinationFontTable) {
        if (word.name == "f") reader.fontBeingDefined = word.parameter;
        if (word.name == "fcharset") rememberSymbolFont(reader, word.parameter);
        return;
    }
    RtfColour& colour = reader.colourBeingRead;
    if (word.name == "red")
        colour.red = colourComponent(word);
    else if (word.name == "green")
        colour.green = colourComponent(word);
    else if (word.name == "blue")
        colour.blue = colourComponent(word);
    else
        return;
    colour.isSet = true;
}

// A toggle word without parameter or with a non-zero one switches on; "0" switches off.
bool toggleValue(const ControlWord& word) {
    return !word.hasParameter || word.parameter != 0;
}

bool applyCharacterWord(Reader& reader, const ControlWord& word) {
    GroupState& group = currentGroup(reader);
    RtfCharFormat& format = group.format;
    const std::string_view name = word.name;
    if (name == "b")
        format.bold = toggleValue(word);
    else if (name == "i")
        format.italic = toggleValue(word);
    else if (name == "ul")
        format.underline = toggleValue(word);
    else if (name == "uld" || name == "uldb" || name == "ulw" || name == "uldash" ||
             name == "ulth" || name == "ulwave")
        format.underline = toggleValue(word);
    else if (name == "ulnone")
        format.underline = false;
    else if (name == "v")
        group.hidden = toggleValue(word);
    else if (name == "fs")
        // A size of zero or less is no size: the box's own font shows rather than nothing.
        format.halfPoints = word.parameter > 0 ? clampInt(word.parameter, kRtfMinimumHalfPoints,
                                                          kRtfMaximumHalfPoints)
                                               : 0;
    else if (name == "cf") {
        const bool known = word.hasParameter && word.parameter >= 0 &&
                           static_cast<std::size_t>(word.parameter) < reader.colours.size();
        format.colour = known ? reader.colours[static_cast<std::size_t>(word.parameter)]
                              : RtfColour{false, 0, 0, 0};
    } else if (name == "f")
        group.font = word.parameter;
    else if (name == "plain") {
        format = kDefaultCharFormat;
        group.hidden = false;
    } else
        return false;
    return true;
}

bool applyParagraphWord(Reader& reader, const ControlWord& word) {
    RtfParagraphFormat& paragraph = currentGroup(reader).paragraph;
    const std::string_view name = word.name;
    const int twips = clampInt(word.parameter, -kRtfMaximumIndentTwips, kRtfMaximumIndentTwips);
    if (name == "pard")
        paragraph = kDefaultParagraphFormat;
    else if (name == "ql")
        paragraph.alignment = RtfAlignLeft;
    else if (name == "qc")
        paragraph.alignment = RtfAlignCentre;
    else if (name == "qr")
        paragraph.alignment = RtfAlignRight;
    else if (name == "qj")
        paragraph.alignment = RtfAlignJustify;
    else if (name == "li")
        paragraph.leftIndentTwips = std::max(twips, 0);
    else if (name == "fi")
        paragraph.firstLineIndentTwips = twips;
    else if (name == "sb")
        paragraph.spaceBeforeTwips = std::max(twips, 0);
    else if (name == "sa")
        paragraph.spaceAfterTwips = std::max(twips, 0);
    else
        return false;
    return true;
}

// Words that stand for a character; each one also counts as a fallback character after "\uN".
bool applyCharacterEntity(Reader& reader, const ControlWord& word) {
    const std::string_view name = word.name;
    char32_t codePoint = 0;
    if (name == "tab" || name == "cell")
        codePoint = '\t';
    else if (name == "line")
        codePoint = '\n';
    else if (name == "emdash")
        codePoint = 0x2014;
    else if (name == "endash")
        codePoint = 0x2013;
    else if (name == "bullet")
        codePoint = kBullet;
    else if (name == "lquote")
        codePoint = 0x2018;
    else if (name == "rquote")
        codePoint = 0x2019;
    else if (name == "ldblquote")
        codePoint = 0x201C;
    else if (name == "rdblquote")
        codePoint = 0x201D;
    else if (name == "emspace")
        codePoint = 0x2003;
    else if (name == "enspace")
        codePoint = 0x2002;
    else if (name == "qmspace")
        codePoint = 0x2005;
    else
        return false;
    emitSymbol(reader, codePoint);
    return true;
}

void applyUnicode(Reader& reader, const ControlWord& word) {
    if (!word.hasParameter) return;
    // The parameter is a signed 16-bit UTF-16 unit; anything else is not a character.
    const int unit = word.parameter < 0 ? word.parameter + 65536 : word.parameter;
    const bool valid = unit >= 0 && unit <= 0xFFFF;
    // A writer that leaves out the fallback characters is not punished by losing the next "\uN".
    reader.charactersToSkip = 0;
    emitCodePoint(reader, valid ? static_cast<char32_t>(unit) : kReplacementCharacter);
    reader.charactersToSkip = currentGroup(reader).unicodeSkip;
}

void applyControlWord(Reader& reader, const ControlWord& word) {
    const std::string_view name = word.name;
    if (name == "bin") return skipBinary(reader, word);
    if (name == "fonttbl") {
        currentGroup(reader).destination = DestinationFontTable;
        return;
    }
    if (name == "colortbl") {
        currentGroup(reader).destination = DestinationColourTable;
        reader.colours.clear();
        reader.colourBeingRead = RtfColour{false, 0, 0, 0};
        return;
    }
    if (isSkippedDestination(name)) return skipDestination(reader);
    if (currentGroup(reader).destination != DestinationText) return applyTableWord(reader, word);
    if (name == "u") return applyUnicode(reader, word);
    if (reader.charactersToSkip > 0) {
        --reader.charactersToSkip;
        return;
    }
    if (name == "uc") {
        currentGroup(reader).unicodeSkip = word.hasParameter
                                               ? clampInt(word.parameter, 0, kMaximumUnicodeSkip)
                                               : kDefaultUnicodeSkip;
        return;
    }
    if (name == "par" || name == "sect" || name == "page" || name == "row")
        return finishParagraph(reader);
    if (applyCharacterEntity(reader, word)) return;
    if (applyCharacterWord(reader, word)) return;
    applyParagraphWord(reader, word);
}

void readHexByte(Reader& reader) {
    const std::string_view input = reader.input;
    if (reader.position + 1 >= input.size()) {
        reader.position = input.size();
        return;
    }
    const int high = hexValue(input[reader.position]);
    const int low = hexValue(input[reader.position + 1]);
    // An incomplete escape is dropped; its non-hex characters are read again as text.
    if (high < 0) return;
    ++reader.position;
    if (low < 0) return;
    ++reader.position;
    emitByte(reader, static_cast<unsigned char>(high * 16 + low));
}

void readControl(Reader& reader) {
    const std::string_view input = reader.input;
    if (reader.position >= input.size()) return;
    const char c = input[reader.position];
    if (isLetter(c)) return applyControlWord(reader, readControlWord(reader));
    ++reader.position;
    switch (c) {
    case '\'':
        return readHexByte(reader);
    case '{':
    case '}':
    case '\\':
        return emitByte(reader, static_cast<unsigned char>(c));
    case '~':
        return emitSymbol(reader, 0xA0);
    case '_':
        return emitSymbol(reader, 0x2011);
    case '*':
        return skipDestination(reader);
    case '\r':
    case '\n':
        if (currentGroup(reader).destination == DestinationText) finishParagraph(reader);
        return;
    default:
        // "\-" (optional hyphen), "\|", "\:" and unknown symbols show nothing.
        return;
    }
}

void readRtfBody(Reader& reader) {
    const std::string_view input = reader.input;
    while (!reader.finished && reader.position < input.size()) {
        const char c = input[reader.position++];
        if (c == '{')
            openGroup(reader);
        else if (c == '}')
            closeGroup(reader);
        else if (c == '\\')
            readControl(reader);
        else if (c == '\r' || c == '\n')
            continue;
        else if (c == '\t')
            emitSymbol(reader, '\t');
        else
            emitByte(reader, static_cast<unsigned char>(c));
    }
    if (reader.highSurrogate != 0) {
        reader.highSurrogate = 0;
        if (!reader.finished) emitCodePoint(reader, kReplacementCharacter);
    }
    keepLastParagraph(reader);
}

// Plain text: lines end at CR LF, CR or LF; UTF-8 when the whole text is valid UTF-8, otherwise
// Windows-1252, the program's own single-byte texts.
void readPlainText(Reader& reader) {
    const std::string_view input = reader.input;
    const bool utf8 = isValidUtf8(input);
    while (!reader.finished && reader.position < input.size()) {
        const char c = input[reader.position];
        if (c == '\r' || c == '\n') {
            ++reader.position;
            if (c == '\r' && reader.position < input.size() && input[reader.position] == '\n')
                ++reader.position;
            finishParagraph(reader);
            continue;
        }
        char32_t codePoint = windows1252ToUnicode(static_cast<unsigned char>(c));
        const std::size_t length = utf8 ? decodeUtf8(input, reader.position, codePoint) : 1;
        reader.position += std::max<std::size_t>(length, 1);
        emitCodePoint(reader, codePoint);
    }
    keepLastParagraph(reader);
}

// Leading blanks and a UTF-8 byte order mark may come before "{\rtf" in files that editors saved.
std::size_t rtfStart(std::string_view input) {
    std::size_t position = 0;
    if (input.substr(0, 3) == "\xEF\xBB\xBF") position = 3;
    while (position < input.size() && (input[position] == ' ' || input[position] == '\t' ||
                                       input[position] == '\r' || input[position] == '\n'))
        ++position;
    const std::string_view head = input.substr(position, 5);
    if (head.size() == 5 && equalsIgnoringCase(head, "{\\rtf")) return position;
    return std::string_view::npos;
}

} // namespace

// The RTF read here is the subset that WordPad and Word write for notes:
//   group        "{" ... "}", formatting is restored when a group ends
//   control word "\" letters, an optional signed decimal parameter, one optional space
//   symbol       "\" one non-letter: "\{" "\}" "\\" "\~" "\-" "\_" "\*" "\'hh"
//   text         any other byte; bytes 0x80 and above, like "\'hh", are Windows-1252
// "\uN" is a UTF-16 unit (negative N counts from 65536) followed by "\ucN" fallback characters,
// which are skipped. Destinations that are not text (font and colour tables, style sheet, info,
// pictures, "\*" groups) are either read for their colours and symbol fonts or skipped whole.
// Everything comes from outside, so every number is clamped and every loop moves forward.
RtfDocument readRtf(const std::string& input) {
    Reader reader = {};
    reader.input = input;
    reader.groups.push_back(GroupState{kDefaultCharFormat, kDefaultParagraphFormat,
                                       kDefaultUnicodeSkip, 0, false, DestinationText});
    reader.paragraph = RtfParagraph{kDefaultParagraphFormat, {}};
    reader.document.truncated = false;
    reader.cost = kRtfRecordCost;
    const std::size_t start = rtfStart(reader.input);
    if (start == std::string_view::npos) {
        readPlainText(reader);
    } else {
        reader.position = start;
        readRtfBody(reader);
    }
    return std::move(reader.document);
}

std::size_t rtfOutputCost(const RtfDocument& document) {
    std::size_t cost = 0;
    for (const RtfParagraph& paragraph : document.paragraphs) {
        cost += kRtfRecordCost;
        for (const RtfRun& run : paragraph.runs)
            cost += kRtfRecordCost + run.text.size();
    }
    return cost;
}
