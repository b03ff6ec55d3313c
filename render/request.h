#pragma once
#include "calendar/broadcast_table.h"
#include "common/translate.h"
#include "render/logo.h"

#include <hpdf.h>
#include <memory>
#include <string>

enum CalendarStyle {
    Month = 1,
    Quarter = 2,
    Year = 3,
    ThreeYears = 4,
    KeyboardStrips = 5,
    PlanningCalendar = 6,
};

// Selection value that asks for every month (Month style) or every quarter (Quarter style).
constexpr int kSelectAll = 13;

// What to print; filled by the caller before generation.
struct CalendarRequest {
    int style;
    int year;
    int selection;
    bool showQuarterWeeks;
    // The country whose public holidays stand out on the pages (HolidayCountry); 0 marks none
    // and leaves every page as it always was.
    int holidays = 0;
    // The language the pages are printed in; Automatic follows the window's.
    Language language = Language::Automatic;
    // The user's own credit line (UTF-8); empty prints the program's credit line.
    std::string credit = {};
    // The user's logo, a PNG or JPEG file; empty prints none.
    std::string logo = {};
    // The logo as the caller already read and decoded it, printed instead of reading the file
    // again (logo then only names it in messages); nullptr reads the file.
    std::shared_ptr<const LogoPixels> logoPixels = {};
};

// The drawing state of one document, cleared at the start of every generation.
struct DrawingState {
    HPDF_Doc document;
    HPDF_Page page;
    HPDF_Font regularFont;
    HPDF_Font boldFont;
    HPDF_Font boldObliqueFont;
    int runningY;
    int pageWidth;
    int pageHeight;
    int leftMarginX;
    int rightMarginX;
    int centreX;
    // The user's credit line (UTF-8, one line); empty for the program's.
    std::string credit = {};
    // The user's logo, one image of the document drawn on every page; nullptr for none. It may
    // be stored smaller than the picture, whose own size gives its shape and box.
    HPDF_Image logo;
    int logoWidth;
    int logoHeight;
};

// The record every layout receives.
struct GenerationRequest {
    CalendarRequest calendar;
    // The broadcast calendar of calendar.year; a layout that reaches another year computes that
    // year's table for itself.
    BroadcastYearTable broadcastYear;
    DrawingState drawing;
};
