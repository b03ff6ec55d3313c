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

// The holidays of a planner week as its notes column shows them, at the size (in points) that
// fits the column's width.
struct PlannerNote {
    std::string text;
    int size;
};
inline constexpr int kPlannerNotesWidth = 572 - 323;
PlannerNote plannerNote(HPDF_Font font, const std::vector<HolidayMark>& marks,
                        Language language = Language::English);
