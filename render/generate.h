#pragma once
#include "common/atomic_file.h"
#include "render/request.h"

#include <cstddef>
#include <string>

// The years a calendar can be printed for; four-digit years keep every date number, including
// those of pages that run into the following years, far inside 32 bits.
constexpr int kFirstYear = 1920;
constexpr int kLastYear = 9999;

// Where the main window's numbered calendars go, as the shell found it at start-up.
struct NumberedOutput {
    std::string folder;  // the PDF folder, ending with "/"
    int (*nextNumber)(); // advances the output counter and returns it, 1 to 999
    bool openWhenSaved;  // a PDF viewer is known: the saved file goes to renderSeam.openDocument
};

// The main window's Generate: saves the next numbered file NNNCalendar.PDF into output.folder
// and opens it when output.openWhenSaved. Returns the saved path, or "" when nothing was saved.
std::string GenerateCalendar(const CalendarRequest& request, const NumberedOutput& output);

// Builds the same document and saves it to path, replacing the file only when the whole document
// was written. Returns false on failure, after showing why.
bool WriteCalendarFile(const CalendarRequest& request, const std::string& path);

// Builds the document into file, which the caller has begun, and commits it. On failure, after
// showing why, the file is abandoned and its target stays as it was.
bool WriteCalendarToFile(const CalendarRequest& request, AtomicFile& file);

// Builds the document and writes it to an open descriptor (standard output), every byte
// checked; name is what a failure message calls the destination.
bool WriteCalendarToDescriptor(const CalendarRequest& request, int descriptor,
                               const std::string& name);

// Builds the same document into memory, for a preview: nothing is shown or saved, and a logo
// that cannot be used is left out as a saved calendar leaves it out. It touches no state of the
// program's, so it may run on any thread. False, with pdf empty, when no document was made.
bool BuildCalendarInMemory(const CalendarRequest& request, std::string& pdf);
