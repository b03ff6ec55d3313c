#pragma once
#include <string>

// The export dialog, form "EC": broadcast months (and weeks on request) of a range of years as an
// iCalendar file for calendar programs, saved where the user chooses.

// Shows the dialog modally over `parent`; returns when it has been closed. With a holiday country
// (HolidayCountry) its public holidays are exported too. The path of the file written, or ""
// when nothing was.
std::string ShowExportDialog(const std::string& parent, int holidays);
void exportDesign();
void exportEvents(int controlId, int eventCode, int value, int& cancel);
