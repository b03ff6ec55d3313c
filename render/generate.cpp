#include "render/generate.h"

#include "calendar/broadcast.h"
#include "calendar/numbers.h"
#include "render/layouts/layouts.h"
#include "render/seam.h"
#include "shell/paths.h"
#include "shell/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

const char* const kCreditLine = "Merivane Broadcast Calendar Generator by the Merivane Project";

namespace {

constexpr int kLastFileNumber = 999;
constexpr const char* kErrorTitle = "PDF Error";
constexpr const char* kFileSuffix = "Calendar.PDF";

// The first error the PDF library reports for one document; later ones only follow from it.
struct LibraryError {
    bool raised;
    HPDF_STATUS error;
    HPDF_STATUS detail;
};

// The library calls this from deep inside its own C code: record and return, never unwind.
void recordLibraryError(HPDF_STATUS error, HPDF_STATUS detail, void* userData) {
    LibraryError* record = static_cast<LibraryError*>(userData);
    if (record->raised) return;
    *record = {true, error, detail};
}

void showMessage(const std::string& title, const std::string& mainText,
                 const std::string& detailText) {
    if (global::renderSeam.showMessage) global::renderSeam.showMessage(title, mainText, detailText);
}

std::string libraryErrorText(const LibraryError& error) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Error number = %lu [&H%lX]|Detail number = %lu [&H%lX]{f11,t4}", error.error,
                  error.error, error.detail, error.detail);
    return text;
}

// A library error ends the main window, as the document can no longer be trusted.
void reportLibraryError(const LibraryError& error) {
    showMessage(kErrorTitle, libraryErrorText(error), "");
    if (global::renderSeam.closeMainWindow) global::renderSeam.closeMainWindow();
}

bool isPrintable(const CalendarRequest& calendar) {
    if (calendar.style < Month || calendar.style > PlanningCalendar) return false;
    if (calendar.year < kFirstYear || calendar.year > kLastYear) return false;
    if (calendar.style != Month && calendar.style != Quarter) return true;
    return calendar.selection >= 1 && calendar.selection <= kSelectAll;
}

void drawPages(GenerationRequest& request) {
    const int selection = request.calendar.selection;
    switch (request.calendar.style) {
    case Month:
        if (selection != kSelectAll) {
            drawMonthPage(request, selection);
            break;
        }
        for (int month = 1; month <= 12; ++month)
            drawMonthPage(request, month);
        break;
    case Quarter:
        if (selection != kSelectAll) {
            drawQuarterPage(request, selection);
            break;
        }
        for (int firstMonth = 1; firstMonth <= 10; firstMonth += 3)
            drawQuarterPage(request, firstMonth);
        break;
    case Year:
        drawYearPage(request);
        break;
    case ThreeYears:
        drawThreeYearPage(request);
        break;
    case KeyboardStrips:
        drawKeyboardStripPage(request);
        break;
    case PlanningCalendar:
        drawPlannerPage(request);
        break;
    default:
        break;
    }
}

// Creates the document and lets the style's layout draw it; errors the library reports on the
// way land in error. False, after telling the user, when there is no document to save.
bool buildDocument(const CalendarRequest& calendar, GenerationRequest& request,
                   LibraryError& error) {
    request = {};
    request.calendar = calendar;
    if (!isPrintable(calendar)) {
        showMessage(kErrorTitle, "There is no such calendar to print.{f11,t4}",
                    "Style " + std::to_string(calendar.style) + ", year " +
                        std::to_string(calendar.year) + ", selection " +
                        std::to_string(calendar.selection) + ".{f6}");
        return false;
    }
    DrawingState& drawing = request.drawing;
    drawing.document = HPDF_New(recordLibraryError, &error);
    if (!drawing.document) {
        showMessage(kErrorTitle, "Unable to create PDF object.{f11,t4}",
                    "Please inform technical support of this error.{f6}");
        return false;
    }
    HPDF_SetCompressionMode(drawing.document, HPDF_COMP_ALL);
    drawing.regularFont = HPDF_GetFont(drawing.document, "Helvetica", nullptr);
    drawing.boldFont = HPDF_GetFont(drawing.document, "Helvetica-Bold", nullptr);
    drawing.boldObliqueFont = HPDF_GetFont(drawing.document, "Helvetica-BoldOblique", nullptr);
    computeBroadcastYear(calendar.year);
    drawPages(request);
    return true;
}

std::string temporaryPathFor(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + "." + std::to_string(getpid()) + ".part";
}

// The document goes to a file beside path first and replaces path only when written whole, so
// an existing file is never left torn. No fsync: a calendar can always be made again, and the
// rename alone keeps readers from ever seeing half a file. Library failures land in error;
// others are shown here.
bool saveDocument(HPDF_Doc document, const std::string& path, LibraryError& error) {
    const std::string temporary = temporaryPathFor(path);
    // A leftover or a link planted under this name is removed, never written through.
    unlink(temporary.c_str());
    const HPDF_STATUS status = HPDF_SaveToFile(document, temporary.c_str());
    if (status != HPDF_OK) {
        if (!error.raised) error = {true, status, HPDF_GetErrorDetail(document)};
        unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int reason = errno;
        unlink(temporary.c_str());
        showMessage(kErrorTitle, "Unable to save the calendar file.{f11,t4}",
                    path + "|" + std::strerror(reason) + "{f6}");
        return false;
    }
    return true;
}

// Builds and saves one document; a document the library reported an error in is never saved.
bool buildAndSave(const CalendarRequest& calendar, const std::string& path, bool advanceCounter,
                  std::string& savedPath) {
    GenerationRequest request;
    LibraryError error = {};
    if (!buildDocument(calendar, request, error)) return false;
    std::string target = path;
    if (advanceCounter) {
        // [PDF] Number holds the last file number, 1 to 999; anything else starts again at 1.
        const int last = leadingInteger(ReadSetting(global::settingsPath, "PDF", "Number", "0"));
        const int number = last >= 0 && last < kLastFileNumber ? last + 1 : 1;
        WriteSetting(global::settingsPath, "PDF", "Number", std::to_string(number));
        char name[16];
        std::snprintf(name, sizeof name, "%03d", number);
        target = global::pdfFolder + name + kFileSuffix;
    }
    const bool saved = !error.raised && saveDocument(request.drawing.document, target, error);
    if (error.raised) reportLibraryError(error);
    HPDF_Free(request.drawing.document);
    if (saved) savedPath = target;
    return saved;
}

} // namespace

std::string GenerateCalendar(const CalendarRequest& request) {
    std::string path;
    if (!buildAndSave(request, "", true, path)) return "";
    if (!global::pdfViewerPath.empty() && global::renderSeam.openDocument)
        global::renderSeam.openDocument(path);
    return path;
}

bool WriteCalendarFile(const CalendarRequest& request, const std::string& path) {
    std::string saved;
    return buildAndSave(request, path, false, saved);
}
