#pragma once
#include "update/update_state.h"

#include <string>

// The update-available dialog, form "UDAL": names the new version, shows what is new and
// offers "Download Now" and "Maybe Later".

// Shows `offer` modally over `parent`; returns once the dialog has been unloaded, with the
// user's answer in the offer's download accepted or later chosen.
void ShowUpdateAvailableDialog(const std::string& parent, UpdateOffer& offer);
void updateAvailableDesign();
void updateAvailableEvents(int controlId, int eventCode, int value, int& cancel);

// Stops the automatic check from offering `version` again, and tells the user so.
void IgnoreUpdate(const std::string& version);
