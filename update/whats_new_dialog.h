#pragma once
#include <string>

// The what's-new dialog, form "WN": the release notes of the update just installed, read from
// "Release Notes.rtf" in the program's folder.

// Shows the notes of `newVersion` ("" when it is not known) modally over `parent`; returns once
// the dialog has been unloaded.
void ShowWhatsNewDialog(const std::string& parent, const std::string& newVersion);
void whatsNewDesign();
void whatsNewEvents(int controlId, int eventCode, int value, int& cancel);
