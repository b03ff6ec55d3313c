#pragma once
#include <string>

// The update-available dialog, form "UDAL": names the new version, shows what is new and
// offers "Download Now" and "Maybe Later". Reads the update state and sets its download
// accepted or later chosen flag.

// Shows the dialog modally over `parent`; returns once it has been unloaded.
void ShowUpdateAvailableDialog(const std::string& parent);
void updateAvailableDesign();
void updateAvailableEvents(int controlId, int eventCode, int value, int& cancel);

// Stops the automatic check from offering `version` again, and tells the user so.
void IgnoreUpdate(const std::string& version);
