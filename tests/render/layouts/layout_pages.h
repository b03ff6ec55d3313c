#pragma once
#include "render/request.h"
#include "support/pdf_content.h"

#include <string>
#include <vector>

// Renders one calendar through the real document writer and reads its pages back; an empty
// result (with a test failure recorded) when the file could not be written or read.
std::vector<PdfPage> renderPages(int style, int year, int selection, bool quarterWeeks);
// The same for a whole request; bytes, when given, receives the file as written.
std::vector<PdfPage> renderRequest(const CalendarRequest& request, std::string* bytes = nullptr);

double rightEdge(const PdfText& text);
double centreOf(const PdfText& text);
bool isColour(const PdfRgb& colour, double red, double green, double blue);
bool isBlack(const PdfRgb& colour);
bool isRed(const PdfRgb& colour);

// Texts whose baseline is y, left to right.
std::vector<PdfText> textsOnBaseline(const PdfPage& page, double y);
// Texts whose right end is x, top to bottom.
std::vector<PdfText> textsEndingAt(const PdfPage& page, double x);
// The first text equal to the given one on baseline y, or nullptr.
const PdfText* findTextOnBaseline(const PdfPage& page, const std::string& text, double y);
// Vertical lines (x1 == x2) at the given x, in drawing order.
std::vector<PdfLine> verticalLinesAt(const PdfPage& page, double x);
// The distinct heights of horizontal lines of the given width, ascending.
std::vector<double> horizontalRuleHeights(const PdfPage& page, double width);
