#pragma once
#include <string>

// The what's-new dialog, form "WN": the release notes of the update just installed, read from
// "Release Notes.rtf" in the program's folder.

// Shows the dialog modally over `parent`; returns once it has been unloaded.
void ShowWhatsNewDialog(const std::string& parent);
void whatsNewDesign();
void whatsNewEvents(int controlId, int eventCode, int value, int& cancel);
