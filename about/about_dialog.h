#pragma once
#include <string>

// The About dialog, form "AB": the product and its version in a blue heading band over two
// pages, the program information and the program history ("History.rtf" from the data folder),
// switched by one button; only "&Close" ends it.

inline constexpr const char* kAboutForm = "AB";

// Shows the dialog modally over `parent`; returns when it has been closed.
void ShowAboutDialog(const std::string& parent);
void aboutDesign();
void aboutEvents(int controlId, int eventCode, int value, int& cancel);
