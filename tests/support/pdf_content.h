#pragma once
#include <string>
#include <vector>

// What a page shows, in the program's own top-down coordinates (y measured down from the top).
struct PdfRgb {
    double red;
    double green;
    double blue;
};

struct PdfText {
    std::string text; // UTF-8 when the font is WinAnsiEncoding, else the string's bytes
    double x;         // left end of the text
    double y;         // baseline
    std::string font; // BaseFont, e.g. "Helvetica-Bold"
    double size;
    PdfRgb fill;
};

struct PdfLine {
    double x1, y1, x2, y2;
    double width;
    PdfRgb stroke;
};

struct PdfRectangle {
    double x;
    double top;
    double width;
    double height;
    PdfRgb fill;
    PdfRgb stroke;
    double lineWidth;
    bool filled;
    bool stroked;
};

// An image drawn on the page: its resource name and the box it fills.
struct PdfImage {
    std::string name;
    double x;
    double top;
    double width;
    double height;
};

struct PdfPage {
    double width;
    double height;
    std::vector<PdfText> texts;
    std::vector<PdfLine> lines;
    std::vector<PdfRectangle> rectangles;
    std::vector<PdfImage> images;
    std::vector<int> imageObjects; // object numbers of the page's image resources
    std::size_t contentBytes;      // decompressed content stream size
};

bool readPdf(const std::string& path, std::vector<PdfPage>& pages, std::string& error);
// The pages of a PDF a test expects to read; a file that cannot be read fails the test.
std::vector<PdfPage> pagesOf(const std::string& path);

// Width of a UTF-8 text in one of the standard fonts with WinAnsiEncoding, as the PDF library
// measures it.
double standardTextWidth(const std::string& font, double size, const std::string& text);

// Every text on the page equal to the given one, in drawing order.
std::vector<PdfText> textsEqualTo(const PdfPage& page, const std::string& text);
// The first text equal to the given one, or nullptr.
const PdfText* findText(const PdfPage& page, const std::string& text);
// Horizontal lines (y1 == y2) at the given height, in drawing order.
std::vector<PdfLine> horizontalLinesAt(const PdfPage& page, double y);
