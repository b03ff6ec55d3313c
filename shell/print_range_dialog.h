#pragma once
#include <string>

// The print-range dialog, form "MS": one month (or the quarter page starting with it) or the
// whole year, for the Month and Quarter styles.

// Shows the dialog modally over `parent` for a year and style (Month or Quarter).
// Returns 1 to 12 for one month, 13 for all, 0 when the user cancelled.
int ShowPrintRangeDialog(const std::string& parent, int year, int style);
void printRangeDesign();
void printRangeEvents(int controlId, int eventCode, int value, int& cancel);
