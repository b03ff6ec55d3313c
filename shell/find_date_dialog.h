#pragma once
#include <string>

// The find-a-date dialog, form "FD": where a day falls in the broadcast calendar, answered as the
// date changes, with the command line's one-line answer ready for the clipboard.

// Shows the dialog modally over `parent`, on today's date; returns when it has been closed.
void ShowFindDateDialog(const std::string& parent);
void findDateDesign();
void findDateEvents(int controlId, int eventCode, int value, int& cancel);
