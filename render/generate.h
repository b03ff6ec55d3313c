#pragma once
#include "render/request.h"

#include <string>

// The years a calendar can be printed for; four-digit years keep every date number, including
// those of pages that run into the following years, far inside 32 bits.
constexpr int kFirstYear = 1920;
constexpr int kLastYear = 9999;

// The main window's Generate: saves the next numbered file NNNCalendar.PDF into the PDF folder
// (the counter is [PDF] Number of the settings file) and opens it when a PDF viewer is known.
// Returns the saved path, or "" when nothing was saved.
std::string GenerateCalendar(const CalendarRequest& request);

// Builds the same document and saves it to path, replacing the file only when the whole document
// was written. Returns false on failure, after showing why.
bool WriteCalendarFile(const CalendarRequest& request, const std::string& path);
