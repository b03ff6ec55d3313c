#include "render/generate.h"

#include "calendar/broadcast.h"
#include "common/text.h"
#include "program/version.h"
#include "render/layouts/layouts.h"
#include "render/logo.h"
#include "render/primitives.h"
#include "render/seam.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

const char* const kCreditLine = N_("Merivane Broadcast Calendar Generator by the Merivane Project");

namespace {

constexpr int kLastFileNumber = 999;
constexpr const char* kErrorTitle = N_("PDF Error");
constexpr const char* kLogoErrorTitle = N_("Logo");
constexpr const char* kFileSuffix = "Calendar.PDF";
// The program named as every document's creator, with its version.
constexpr const char* kCreatorName = "Merivane";
// The fonts' encoding holds the accented letters of French and Spanish.
constexpr const char* kPageEncoding = "WinAnsiEncoding";
// The logo is kept at no more pixels than a printer's 300 an inch can show.
constexpr double kLogoPixelsPerInch = 300;
constexpr double kPointsPerInch = 72;
// How much of the saved document is handed on at a time.
constexpr std::size_t kChunkSize = 16384;

// The first error the PDF library reports for one document; later ones only follow from it.
struct LibraryError {
    bool raised;
    HPDF_STATUS error;
    HPDF_STATUS detail;
};

// The library calls this from deep inside its own C code: record and return, never unwind.
void recordLibraryError(HPDF_STATUS error, HPDF_STATUS detail, void* userData) {
    LibraryError* record = static_cast<LibraryError*>(userData);
    // Reading the saved document to its end is reported as an error too; it is none.
    if (record->raised || error == HPDF_STREAM_EOF) return;
    *record = {true, error, detail};
}

void showMessage(const std::string& title, const std::string& mainText,
                 const std::string& detailText) {
    if (global::renderSeam.showMessage) global::renderSeam.showMessage(title, mainText, detailText);
}

// "1025 [&H401]": the number as the library's documentation lists it, and in hexadecimal.
std::string errorNumberText(HPDF_STATUS number) {
    char text[64];
    std::snprintf(text, sizeof text, "%lu [&H%lX]", number, number);
    return text;
}

std::string libraryErrorText(const LibraryError& error) {
    return fillIn(translate("Error number = %1|Detail number = %2{f11,t4}"),
                  {errorNumberText(error.error), errorNumberText(error.detail)});
}

// A library error ends the main window, as the document can no longer be trusted.
void reportLibraryError(const LibraryError& error) {
    showMessage(translate(kErrorTitle), libraryErrorText(error), "");
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

// "Broadcast Calendar 2026 (year page)": what the calendar shows, in a PDF reader's title bar.
std::string documentTitle(const CalendarRequest& calendar) {
    const Language language = calendar.language;
    const bool all = calendar.selection == kSelectAll;
    std::string years = std::to_string(calendar.year);
    const char* title = nullptr;
    // The month's name in running text, as the title is a phrase.
    std::string month;
    switch (calendar.style) {
    case Month:
        title = all ? translateIn(language, "Broadcast Calendar %1 (month pages)")
                    // TRANSLATORS: a PDF's title: %1 the year, %2 a month's name in running text.
                    : translateIn(language, "Broadcast Calendar %1 (%2 page)");
        if (!all) month = monthNameInText(calendar.selection, language);
        break;
    case Quarter:
        title = all ? translateIn(language, "Broadcast Calendar %1 (quarter pages)")
                    // TRANSLATORS: a PDF's title: %1 the year, %2 a month's name in running text.
                    : translateIn(language, "Broadcast Calendar %1 (quarter page from %2)");
        if (!all) month = monthNameInText(calendar.selection, language);
        break;
    case Year:
        title = translateIn(language, "Broadcast Calendar %1 (year page)");
        break;
    case ThreeYears:
        years += "-" + std::to_string(calendar.year + 2);
        title = translateIn(language, "Broadcast Calendar %1 (three-year page)");
        break;
    case KeyboardStrips:
        title = translateIn(language, "Broadcast Calendar %1 (keyboard strips)");
        break;
    default:
        title = translateIn(language, "Broadcast Calendar %1 (planning calendar)");
        break;
    }
    return fillIn(title, {years, month});
}

// Now in local time, or the moment SOURCE_DATE_EPOCH names (in UTC), so a build system can make
// the same calendar twice byte for byte.
HPDF_Date creationDate() {
    std::time_t now = std::time(nullptr);
    std::tm moment{};
    // Whole decimal seconds and nothing else; anything else is ignored.
    const char* fixed = std::getenv("SOURCE_DATE_EPOCH");
    const char* end = fixed ? fixed + std::strlen(fixed) : nullptr;
    long long seconds = -1;
    if (fixed && *fixed >= '0' && *fixed <= '9' &&
        std::from_chars(fixed, end, seconds).ptr == end && seconds >= 0) {
        now = static_cast<std::time_t>(seconds);
        gmtime_r(&now, &moment);
    } else {
        localtime_r(&now, &moment);
    }
    HPDF_Date date{};
    date.year = moment.tm_year + 1900;
    date.month = moment.tm_mon + 1;
    date.day = moment.tm_mday;
    date.hour = moment.tm_hour;
    date.minutes = moment.tm_min;
    // A leap second is the last second of its minute here.
    date.seconds = moment.tm_sec > 59 ? 59 : moment.tm_sec;
    const long offset = moment.tm_gmtoff;
    const long offsetMinutes = (offset < 0 ? -offset : offset) / 60;
    date.ind = offset == 0 ? 'Z' : offset > 0 ? '+' : '-';
    date.off_hour = static_cast<HPDF_INT>(offsetMinutes / 60);
    date.off_minutes = static_cast<HPDF_INT>(offsetMinutes % 60);
    return date;
}

// What a PDF reader shows as the document's properties; the pages are not touched.
void setDocumentInfo(HPDF_Doc document, const CalendarRequest& calendar) {
    const std::string creator = std::string(kCreatorName) + " " + kProgramVersion;
    HPDF_SetInfoAttr(document, HPDF_INFO_TITLE, documentInfoText(documentTitle(calendar)).c_str());
    HPDF_SetInfoAttr(document, HPDF_INFO_CREATOR, creator.c_str());
    HPDF_SetInfoDateAttr(document, HPDF_INFO_CREATION_DATE, creationDate());
}

// The user's credit line and logo, when given. A logo that cannot be used is reported once
// (unless quiet) and the calendar goes on without it; the front end that must not print without
// it checks it first.
// The logo is kept at no more than 300 pixels an inch of the largest size the style prints it.
void setBranding(const CalendarRequest& calendar, DrawingState& drawing, LibraryError& error,
                 bool quiet) {
    const std::string credit = singleLineText(calendar.credit, kCreditLimit);
    if (!trimBlanks(credit).empty()) drawing.credit = credit;
    if (calendar.logo.empty() && !calendar.logoPixels) return;
    std::shared_ptr<const LogoPixels> pixels = calendar.logoPixels;
    std::string problem;
    if (!pixels) {
        auto decoded = std::make_shared<LogoPixels>();
        if (loadLogo(calendar.logo, *decoded, problem)) pixels = std::move(decoded);
    }
    if (pixels) {
        const LogoBox box = logoBoxOf(calendar.style, pixels->width, pixels->height);
        const double fit = std::min(static_cast<double>(box.width) / pixels->width,
                                    static_cast<double>(box.height) / pixels->height);
        const double scale = fit * kLogoPixelsPerInch / kPointsPerInch;
        const LogoPixels kept =
            shrinkLogo(*pixels, static_cast<int>(std::ceil(pixels->width * scale)),
                       static_cast<int>(std::ceil(pixels->height * scale)));
        drawing.logo = embedLogo(drawing.document, kept);
        drawing.logoWidth = pixels->width;
        drawing.logoHeight = pixels->height;
        if (drawing.logo) return;
        // The document stays sound without the image; only the logo is given up.
        problem = translate("the PDF library could not take its pixels");
        error = {};
        HPDF_ResetError(drawing.document);
    }
    if (quiet) return;
    showMessage(translate(kLogoErrorTitle), logoProblemMessage(calendar.logo, problem) + "{f11,t4}",
                translate("The calendar is printed without the logo.{f6}"));
}

// Creates the document and lets the style's layout draw it; errors the library reports on the
// way land in error. False, after telling the user unless quiet, when there is no document to
// save.
bool buildDocument(const CalendarRequest& calendar, GenerationRequest& request, LibraryError& error,
                   bool quiet = false) {
    request = {};
    request.calendar = calendar;
    if (!isPrintable(calendar)) {
        if (quiet) return false;
        showMessage(translate(kErrorTitle),
                    translate("There is no such calendar to print.{f11,t4}"),
                    fillIn(translate("Style %1, year %2, selection %3.{f6}"),
                           {std::to_string(calendar.style), std::to_string(calendar.year),
                            std::to_string(calendar.selection)}));
        return false;
    }
    DrawingState& drawing = request.drawing;
    drawing.document = HPDF_New(recordLibraryError, &error);
    if (!drawing.document) {
        if (quiet) return false;
        showMessage(translate(kErrorTitle), translate("Unable to create PDF object.{f11,t4}"),
                    translate("Please inform technical support of this error.{f6}"));
        return false;
    }
    HPDF_SetCompressionMode(drawing.document, HPDF_COMP_ALL);
    drawing.regularFont = HPDF_GetFont(drawing.document, "Helvetica", kPageEncoding);
    drawing.boldFont = HPDF_GetFont(drawing.document, "Helvetica-Bold", kPageEncoding);
    drawing.boldObliqueFont =
        HPDF_GetFont(drawing.document, "Helvetica-BoldOblique", kPageEncoding);
    setDocumentInfo(drawing.document, calendar);
    setBranding(calendar, drawing, error, quiet);
    request.broadcastYear = broadcastYearTable(calendar.year);
    drawPages(request);
    return true;
}

// Every byte of the document passes through here; false, with the reason in words, when the
// destination did not take them.
using ChunkWriter = std::function<bool(const void* data, std::size_t size, std::string& error)>;

// The library writes the whole document into its own memory stream, which is then read out and
// handed on chunk by chunk, so every write reaching a file is checked here rather than trusted to
// the library. Library failures land in libraryError, destination failures in error.
bool streamDocument(HPDF_Doc document, const ChunkWriter& write, LibraryError& libraryError,
                    std::string& error) {
    const HPDF_STATUS saved = HPDF_SaveToStream(document);
    if (saved != HPDF_OK) {
        if (!libraryError.raised) libraryError = {true, saved, HPDF_GetErrorDetail(document)};
        return false;
    }
    HPDF_ResetStream(document);
    HPDF_BYTE chunk[kChunkSize];
    for (;;) {
        HPDF_UINT32 size = sizeof chunk;
        const HPDF_STATUS status = HPDF_ReadFromStream(document, chunk, &size);
        if (status != HPDF_OK && status != HPDF_STREAM_EOF) {
            if (!libraryError.raised) libraryError = {true, status, HPDF_GetErrorDetail(document)};
            return false;
        }
        if (size > 0 && !write(chunk, size, error)) return false;
        if (status == HPDF_STREAM_EOF) return true;
    }
}

void showSaveFailure(const std::string& destination, const std::string& reason) {
    if (global::renderSeam.showSaveFailure) {
        global::renderSeam.showSaveFailure(destination, reason);
        return;
    }
    showMessage(translate(kErrorTitle),
                fillIn(translate("Unable to save the calendar: %1.{f11,t4}"), {reason}),
                destination + "{f6}");
}

// Streams a built document out through write and frees it. A document the library reported an
// error in is never written; failures are shown here.
bool writeDocument(GenerationRequest& request, LibraryError& libraryError,
                   const std::string& destination, const ChunkWriter& write) {
    std::string error;
    const bool written = !libraryError.raised &&
                         streamDocument(request.drawing.document, write, libraryError, error);
    HPDF_Free(request.drawing.document);
    request.drawing.document = nullptr;
    if (libraryError.raised)
        reportLibraryError(libraryError);
    else if (!written)
        showSaveFailure(destination, error);
    return written;
}

// Writes a built document into file, already begun, and gives it the target's name.
bool writeIntoFile(GenerationRequest& request, LibraryError& libraryError, AtomicFile& file) {
    const std::string target = file.targetPath;
    const ChunkWriter write = [&file](const void* data, std::size_t size, std::string& error) {
        return writeAtomicFile(file, data, size, error);
    };
    if (!writeDocument(request, libraryError, target, write)) {
        abandonAtomicFile(file);
        return false;
    }
    std::string error;
    if (commitAtomicFile(file, error)) return true;
    showSaveFailure(target, error);
    return false;
}

// The next numbered name; the counter moves on whether or not the save then succeeds.
std::string numberedPath(const NumberedOutput& output) {
    int number = output.nextNumber ? output.nextNumber() : 1;
    if (number < 1 || number > kLastFileNumber) number = 1;
    char name[16];
    std::snprintf(name, sizeof name, "%03d", number);
    return output.folder + name + kFileSuffix;
}

// An old entry of the new name is replaced; one that is a link goes first, so the calendar
// never lands wherever the link points.
void removeLinkNamed(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) unlink(path.c_str());
}

} // namespace

std::string GenerateCalendar(const CalendarRequest& calendar, const NumberedOutput& output) {
    GenerationRequest request;
    LibraryError libraryError = {};
    if (!buildDocument(calendar, request, libraryError)) return "";
    const std::string path = numberedPath(output);
    removeLinkNamed(path);
    AtomicFile file{};
    std::string error;
    if (!beginAtomicFile(file, path, error)) {
        HPDF_Free(request.drawing.document);
        if (libraryError.raised)
            reportLibraryError(libraryError);
        else
            showSaveFailure(path, error);
        return "";
    }
    if (!writeIntoFile(request, libraryError, file)) return "";
    if (output.openWhenSaved && global::renderSeam.openDocument)
        global::renderSeam.openDocument(path);
    return path;
}

bool WriteCalendarFile(const CalendarRequest& calendar, const std::string& path) {
    AtomicFile file{};
    std::string error;
    if (!beginAtomicFile(file, path, error)) {
        showSaveFailure(path, error);
        return false;
    }
    return WriteCalendarToFile(calendar, file);
}

bool WriteCalendarToFile(const CalendarRequest& calendar, AtomicFile& file) {
    GenerationRequest request;
    LibraryError libraryError = {};
    if (!buildDocument(calendar, request, libraryError)) {
        abandonAtomicFile(file);
        return false;
    }
    return writeIntoFile(request, libraryError, file);
}

bool WriteCalendarToDescriptor(const CalendarRequest& calendar, int descriptor,
                               const std::string& name) {
    GenerationRequest request;
    LibraryError libraryError = {};
    if (!buildDocument(calendar, request, libraryError)) return false;
    const ChunkWriter write = [descriptor](const void* data, std::size_t size, std::string& error) {
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t count = ::write(descriptor, bytes, size);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) {
                error = fileErrorText(count < 0 ? errno : ENOSPC);
                return false;
            }
            bytes += count;
            size -= static_cast<std::size_t>(count);
        }
        return true;
    };
    return writeDocument(request, libraryError, name, write);
}

bool BuildCalendarInMemory(const CalendarRequest& calendar, std::string& pdf) {
    pdf.clear();
    GenerationRequest request;
    LibraryError libraryError = {};
    if (!buildDocument(calendar, request, libraryError, true)) return false;
    const ChunkWriter write = [&pdf](const void* data, std::size_t size, std::string&) {
        pdf.append(static_cast<const char*>(data), size);
        return true;
    };
    std::string error;
    const bool made = !libraryError.raised &&
                      streamDocument(request.drawing.document, write, libraryError, error);
    HPDF_Free(request.drawing.document);
    if (!made) pdf.clear();
    return made;
}
