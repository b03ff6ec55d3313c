#pragma once
#include <string>

// The preferences dialog, form "UP": the five persistent preferences as check boxes, changed
// on a working copy that Save makes live and writes, and Close drops.

// Shows the dialog modally over `parent`; returns when it has been closed.
void ShowPreferencesDialog(const std::string& parent);
void preferencesDesign();
void preferencesEvents(int controlId, int eventCode, int value, int& cancel);
