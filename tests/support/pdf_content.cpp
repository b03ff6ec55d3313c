#include "support/pdf_content.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <hpdf.h>
#include <map>
#include <qpdf/qpdf-c.h>

namespace {

struct Operand {
    bool isNumber;
    double number;
    std::string text; // name (without "/"), string bytes, or the strings of an array joined
};

struct GraphicsState {
    PdfRgb fill;
    PdfRgb stroke;
    double lineWidth;
    // The scale and offset of the current matrix (the program never rotates or skews).
    double scaleX = 1, scaleY = 1, offsetX = 0, offsetY = 0;
};

bool isDelimiter(char c) {
    return std::strchr("()<>[]{}/%", c) != nullptr;
}

bool isSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == 0;
}

// PDF literal string starting after "(": balanced parentheses and backslash escapes.
std::string readLiteralString(const std::string& data, std::size_t& pos) {
    std::string out;
    int depth = 1;
    while (pos < data.size()) {
        char c = data[pos++];
        if (c == '\\' && pos < data.size()) {
            char e = data[pos++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case '\r':
            case '\n':
                break;
            default:
                if (e >= '0' && e <= '7') {
                    int value = e - '0';
                    for (int i = 0;
                         i < 2 && pos < data.size() && data[pos] >= '0' && data[pos] <= '7'; ++i)
                        value = value * 8 + (data[pos++] - '0');
                    out += static_cast<char>(value);
                } else {
                    out += e;
                }
            }
            continue;
        }
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) break;
        out += c;
    }
    return out;
}

std::string readHexString(const std::string& data, std::size_t& pos) {
    std::string digits;
    while (pos < data.size() && data[pos] != '>') {
        if (std::isxdigit(static_cast<unsigned char>(data[pos]))) digits += data[pos];
        ++pos;
    }
    ++pos;
    if (digits.size() % 2) digits += '0';
    std::string out;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        out += static_cast<char>(std::strtol(digits.substr(i, 2).c_str(), nullptr, 16));
    return out;
}

// Windows-1252 from 0x80 to 0x9F, as Unicode; 0 where the code is unused. The typographic
// apostrophe and opening quote read back as the ASCII characters the program writes them for.
constexpr char32_t kWindowsHighCodes[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      U'`',   U'\'',  0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A string shown in a WinAnsiEncoding font, as UTF-8.
std::string fromWindows1252(const std::string& bytes) {
    std::string out;
    for (const char byte : bytes) {
        const unsigned char code = static_cast<unsigned char>(byte);
        const char32_t c = code >= 0x80 && code < 0xA0 ? kWindowsHighCodes[code - 0x80] : code;
        appendUtf8(out, c == 0 ? U'?' : c);
    }
    return out;
}

// UTF-8 text as a WinAnsiEncoding font shows it; the inverse of fromWindows1252.
std::string toWindows1252(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + k < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        char code = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) code = static_cast<char>(c);
        for (int k = 0; k < 32; ++k)
            if (kWindowsHighCodes[k] == c && c >= 0x80) code = static_cast<char>(0x80 + k);
        if (c == U'\'') code = static_cast<char>(0x92);
        if (c == U'`') code = static_cast<char>(0x91);
        out += code;
    }
    return out;
}

struct Interpreter {
    PdfPage* page;
    std::map<std::string, std::string> fontNames;
    std::map<std::string, std::string> fontEncodings;
    std::vector<Operand> operands;
    GraphicsState state{{0, 0, 0}, {0, 0, 0}, 1.0};
    std::vector<GraphicsState> saved;
    std::string font;
    double fontSize = 0;
    double lineX = 0, lineY = 0, leading = 0;
    double pointX = 0, pointY = 0;
    std::vector<PdfLine> pathLines;
    std::vector<PdfRectangle> pathRectangles;
};

double operandNumber(const Interpreter& in, std::size_t fromEnd) {
    if (in.operands.size() < fromEnd) return 0;
    const Operand& o = in.operands[in.operands.size() - fromEnd];
    return o.isNumber ? o.number : 0;
}

void emitText(Interpreter& in, const std::string& text) {
    PdfText t;
    const auto encoding = in.fontEncodings.find(in.font);
    const bool windows =
        encoding != in.fontEncodings.end() && encoding->second == "WinAnsiEncoding";
    t.text = windows ? fromWindows1252(text) : text;
    t.x = in.lineX;
    t.y = in.page->height - in.lineY;
    const auto found = in.fontNames.find(in.font);
    t.font = found == in.fontNames.end() ? in.font : found->second;
    t.size = in.fontSize;
    t.fill = in.state.fill;
    in.page->texts.push_back(t);
}

void paintPath(Interpreter& in, bool fill, bool stroke) {
    if (stroke) {
        for (PdfLine line : in.pathLines) {
            line.width = in.state.lineWidth;
            line.stroke = in.state.stroke;
            in.page->lines.push_back(line);
        }
    }
    for (PdfRectangle r : in.pathRectangles) {
        r.fill = in.state.fill;
        r.stroke = in.state.stroke;
        r.lineWidth = in.state.lineWidth;
        r.filled = fill;
        r.stroked = stroke;
        in.page->rectangles.push_back(r);
    }
    in.pathLines.clear();
    in.pathRectangles.clear();
}

void runOperator(Interpreter& in, const std::string& op) {
    const double h = in.page->height;
    if (op == "q")
        in.saved.push_back(in.state);
    else if (op == "Q" && !in.saved.empty()) {
        in.state = in.saved.back();
        in.saved.pop_back();
    } else if (op == "rg")
        in.state.fill = {operandNumber(in, 3), operandNumber(in, 2), operandNumber(in, 1)};
    else if (op == "RG")
        in.state.stroke = {operandNumber(in, 3), operandNumber(in, 2), operandNumber(in, 1)};
    else if (op == "g")
        in.state.fill = {operandNumber(in, 1), operandNumber(in, 1), operandNumber(in, 1)};
    else if (op == "G")
        in.state.stroke = {operandNumber(in, 1), operandNumber(in, 1), operandNumber(in, 1)};
    else if (op == "cm") {
        GraphicsState& s = in.state;
        s.offsetX += s.scaleX * operandNumber(in, 2);
        s.offsetY += s.scaleY * operandNumber(in, 1);
        s.scaleX *= operandNumber(in, 6);
        s.scaleY *= operandNumber(in, 3);
    } else if (op == "Do" && !in.operands.empty()) {
        const GraphicsState& s = in.state;
        in.page->images.push_back(
            {in.operands.back().text, s.offsetX, h - s.offsetY - s.scaleY, s.scaleX, s.scaleY});
    } else if (op == "w")
        in.state.lineWidth = operandNumber(in, 1);
    else if (op == "BT")
        in.lineX = in.lineY = 0;
    else if (op == "Tf" && in.operands.size() >= 2) {
        in.font = in.operands[in.operands.size() - 2].text;
        in.fontSize = operandNumber(in, 1);
    } else if (op == "Td" || op == "TD") {
        in.lineX += operandNumber(in, 2);
        in.lineY += operandNumber(in, 1);
        if (op == "TD") in.leading = -operandNumber(in, 1);
    } else if (op == "Tm") {
        in.lineX = operandNumber(in, 2);
        in.lineY = operandNumber(in, 1);
    } else if (op == "TL")
        in.leading = operandNumber(in, 1);
    else if (op == "T*")
        in.lineY -= in.leading;
    else if ((op == "Tj" || op == "TJ" || op == "'") && !in.operands.empty()) {
        if (op == "'") in.lineY -= in.leading;
        emitText(in, in.operands.back().text);
    } else if (op == "m") {
        in.pointX = operandNumber(in, 2);
        in.pointY = operandNumber(in, 1);
    } else if (op == "l") {
        const double x = operandNumber(in, 2), y = operandNumber(in, 1);
        in.pathLines.push_back({in.pointX, h - in.pointY, x, h - y, 0, {0, 0, 0}});
        in.pointX = x;
        in.pointY = y;
    } else if (op == "re") {
        const double x = operandNumber(in, 4), y = operandNumber(in, 3);
        const double w = operandNumber(in, 2), rh = operandNumber(in, 1);
        in.pathRectangles.push_back({x, h - y - rh, w, rh, {}, {}, 0, false, false});
    } else if (op == "S" || op == "s")
        paintPath(in, false, true);
    else if (op == "f" || op == "F" || op == "f*")
        paintPath(in, true, false);
    else if (op == "B" || op == "B*" || op == "b" || op == "b*")
        paintPath(in, true, true);
    else if (op == "n")
        paintPath(in, false, false);
    in.operands.clear();
}

void interpret(Interpreter& in, const std::string& data) {
    std::size_t pos = 0;
    std::vector<Operand>* target = &in.operands;
    std::vector<Operand> array;
    bool inArray = false;
    while (pos < data.size()) {
        const char c = data[pos];
        if (isSpace(c)) {
            ++pos;
        } else if (c == '%') {
            while (pos < data.size() && data[pos] != '\n' && data[pos] != '\r')
                ++pos;
        } else if (c == '(') {
            ++pos;
            target->push_back({false, 0, readLiteralString(data, pos)});
        } else if (c == '<' && pos + 1 < data.size() && data[pos + 1] != '<') {
            ++pos;
            target->push_back({false, 0, readHexString(data, pos)});
        } else if (c == '[') {
            ++pos;
            inArray = true;
            array.clear();
            target = &array;
        } else if (c == ']') {
            ++pos;
            std::string joined;
            for (const Operand& o : array)
                if (!o.isNumber) joined += o.text;
            target = &in.operands;
            if (inArray) target->push_back({false, 0, joined});
            inArray = false;
        } else if (c == '/') {
            std::size_t end = ++pos;
            while (end < data.size() && !isSpace(data[end]) && !isDelimiter(data[end]))
                ++end;
            target->push_back({false, 0, data.substr(pos, end - pos)});
            pos = end;
        } else if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
            std::size_t end = pos + 1;
            while (end < data.size() &&
                   ((data[end] >= '0' && data[end] <= '9') || data[end] == '.'))
                ++end;
            target->push_back(
                {true, std::strtod(data.substr(pos, end - pos).c_str(), nullptr), ""});
            pos = end;
        } else {
            std::size_t end = pos;
            while (end < data.size() && !isSpace(data[end]) && !isDelimiter(data[end]))
                ++end;
            if (end == pos) ++end;
            runOperator(in, data.substr(pos, end - pos));
            pos = end;
        }
    }
}

std::string stripSlash(const char* name) {
    if (!name) return "";
    return name[0] == '/' ? std::string(name + 1) : std::string(name);
}

} // namespace

bool readPdf(const std::string& path, std::vector<PdfPage>& pages, std::string& error) {
    pages.clear();
    qpdf_data qpdf = qpdf_init();
    qpdf_silence_errors(qpdf);
    if (qpdf_read(qpdf, path.c_str(), nullptr) & QPDF_ERRORS) {
        error = "cannot read " + path;
        qpdf_cleanup(&qpdf);
        return false;
    }
    const int count = qpdf_get_num_pages(qpdf);
    for (int n = 0; n < count; ++n) {
        const qpdf_oh pageObject = qpdf_get_page_n(qpdf, static_cast<std::size_t>(n));
        PdfPage page{};
        const qpdf_oh box = qpdf_oh_get_key(qpdf, pageObject, "/MediaBox");
        if (qpdf_oh_is_array(qpdf, box) && qpdf_oh_get_array_n_items(qpdf, box) == 4) {
            page.width = qpdf_oh_get_numeric_value(qpdf, qpdf_oh_get_array_item(qpdf, box, 2));
            page.height = qpdf_oh_get_numeric_value(qpdf, qpdf_oh_get_array_item(qpdf, box, 3));
        }
        Interpreter in;
        in.page = &page;
        const qpdf_oh resources = qpdf_oh_get_key(qpdf, pageObject, "/Resources");
        const qpdf_oh images = qpdf_oh_get_key(qpdf, resources, "/XObject");
        if (qpdf_oh_is_dictionary(qpdf, images)) {
            qpdf_oh_begin_dict_key_iter(qpdf, images);
            while (qpdf_oh_dict_more_keys(qpdf)) {
                const std::string key = qpdf_oh_dict_next_key(qpdf);
                page.imageObjects.push_back(
                    qpdf_oh_get_object_id(qpdf, qpdf_oh_get_key(qpdf, images, key.c_str())));
            }
        }
        const qpdf_oh fonts = qpdf_oh_get_key(qpdf, resources, "/Font");
        if (qpdf_oh_is_dictionary(qpdf, fonts)) {
            qpdf_oh_begin_dict_key_iter(qpdf, fonts);
            while (qpdf_oh_dict_more_keys(qpdf)) {
                const std::string key = qpdf_oh_dict_next_key(qpdf);
                const qpdf_oh fontObject = qpdf_oh_get_key(qpdf, fonts, key.c_str());
                in.fontNames[stripSlash(key.c_str())] = stripSlash(
                    qpdf_oh_get_name(qpdf, qpdf_oh_get_key(qpdf, fontObject, "/BaseFont")));
                const qpdf_oh encoding = qpdf_oh_get_key(qpdf, fontObject, "/Encoding");
                if (qpdf_oh_is_name(qpdf, encoding))
                    in.fontEncodings[stripSlash(key.c_str())] =
                        stripSlash(qpdf_oh_get_name(qpdf, encoding));
            }
        }
        unsigned char* buffer = nullptr;
        std::size_t length = 0;
        if (qpdf_oh_get_page_content_data(qpdf, pageObject, &buffer, &length) & QPDF_ERRORS) {
            error = "cannot decode the content of page " + std::to_string(n + 1);
            std::free(buffer);
            qpdf_cleanup(&qpdf);
            return false;
        }
        const std::string content(reinterpret_cast<char*>(buffer), length);
        std::free(buffer);
        page.contentBytes = length;
        interpret(in, content);
        pages.push_back(std::move(page));
    }
    qpdf_cleanup(&qpdf);
    return true;
}

std::vector<PdfPage> pagesOf(const std::string& path) {
    std::vector<PdfPage> pages;
    std::string error;
    if (!readPdf(path, pages, error)) ADD_FAILURE() << path << ": " << error;
    return pages;
}

double standardTextWidth(const std::string& font, double size, const std::string& text) {
    HPDF_Doc doc = HPDF_New(nullptr, nullptr);
    if (!doc) return -1;
    HPDF_Font handle = HPDF_GetFont(doc, font.c_str(), "WinAnsiEncoding");
    double width = -1;
    if (handle) {
        const std::string encoded = toWindows1252(text);
        const HPDF_TextWidth measured =
            HPDF_Font_TextWidth(handle, reinterpret_cast<const HPDF_BYTE*>(encoded.c_str()),
                                static_cast<HPDF_UINT>(encoded.size()));
        width = measured.width * size / 1000.0;
    }
    HPDF_Free(doc);
    return width;
}

std::vector<PdfText> textsEqualTo(const PdfPage& page, const std::string& text) {
    std::vector<PdfText> found;
    for (const PdfText& t : page.texts)
        if (t.text == text) found.push_back(t);
    return found;
}

const PdfText* findText(const PdfPage& page, const std::string& text) {
    for (const PdfText& t : page.texts)
        if (t.text == text) return &t;
    return nullptr;
}

std::vector<PdfLine> horizontalLinesAt(const PdfPage& page, double y) {
    std::vector<PdfLine> found;
    for (const PdfLine& l : page.lines)
        if (std::abs(l.y1 - y) < 0.01 && std::abs(l.y2 - y) < 0.01) found.push_back(l);
    return found;
}
