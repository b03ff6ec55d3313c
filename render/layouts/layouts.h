#pragma once
#include "calendar/holidays.h"
#include "render/request.h"

#include <string>
#include <vector>

// One routine per calendar style; each adds its own page or pages to the request's document.
void drawMonthPage(GenerationRequest& request, int month);
void drawQuarterPage(GenerationRequest& request, int firstMonth);
void drawYearPage(GenerationRequest& request);
void drawThreeYearPage(GenerationRequest& request);
void drawKeyboardStripPage(GenerationRequest& request);
void drawPlannerPage(GenerationRequest& request);

// Adds a page of a standard size and makes it the request's current page.
HPDF_Page addLayoutPage(GenerationRequest& request, HPDF_PageSizes size,
                        HPDF_PageDirection direction);
// Records the page geometry; the centre is half the recorded width.
void setPageGeometry(DrawingState& drawing, int width, int height, int leftMarginX,
                     int rightMarginX);

// The words of the pages in the request's language.
std::string monthName(const GenerationRequest& request, int month);
std::string weekdayName(const GenerationRequest& request, int weekday);
// "Mon" to "Sun".
std::string weekdayAbbreviation(const GenerationRequest& request, int weekday);
// "Mo" to "Su".
std::string weekdayShortName(const GenerationRequest& request, int weekday);
// "M" to "S".
std::string weekdayInitial(const GenerationRequest& request, int weekday);
// The credit line in the footer.
std::string creditLine(const GenerationRequest& request);
// A title spaced out letter by letter, words two blanks apart: "S T A N D A R D  B R O A D...".
std::string spacedTitle(const std::string& title);

// "* denotes 5-week month" at the left of the footer of a layout that stars five-week months.
void drawFiveWeekNote(const GenerationRequest& request, int x, int y, int size);

// The footer's one-line credit, shared by every layout that has a footer.
extern const char* const kCreditLine;
// A credit line of the user's shrinks to this size before it is cut short.
inline constexpr int kSmallestCreditSize = 6;

// The footer's credit at x, y: the program's own as it always was, or the user's, shrunk and at
// last cut with an ellipsis to stay within width points.
void drawCredit(const GenerationRequest& request, int x, int y, int size, int alignment,
                float width);
// The width a footer keeps for the five-week note at the size, with a gap after it.
float fiveWeekNoteRoom(const GenerationRequest& request, int size);

// Where a layout puts the user's logo, in points from the page's top left.
struct LogoBox {
    int x;
    int top;
    int width;
    int height;
};
// Where the style puts the logo: in a corner that holds nothing else, at least 18 points (a
// quarter inch, where office printers print) from every paper edge, its left edge on the page's
// content margin. A style may have a second, taller box; the one the picture of that size
// prints largest in is taken.
LogoBox logoBoxOf(int style, int imageWidth, int imageHeight);
// The user's logo scaled into the style's box with its aspect kept, at the box's left edge and
// centred top to bottom; nothing without a logo.
void drawLogo(const GenerationRequest& request);

// The holidays of a planner week as its notes column shows them, at the size (in points) that
// fits the column's width.
struct PlannerNote {
    std::string text;
    int size;
};
inline constexpr int kPlannerNotesWidth = 572 - 323;
PlannerNote plannerNote(HPDF_Font font, const std::vector<HolidayMark>& marks,
                        Language language = Language::English);
