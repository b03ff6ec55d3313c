#pragma once
#include "calendar/dates.h"

#include <ctime>
#include <string>

// The product's name in its windows and messages.
inline constexpr const char* kProductName = "Zarn Generator";

// Form names of the program's own windows.
inline constexpr const char* kMainForm = "MF";
inline constexpr const char* kPrintRangeForm = "MS";
inline constexpr const char* kPreferencesForm = "UP";
inline constexpr const char* kFindDateForm = "FD";
inline constexpr const char* kExportForm = "EC";

// Help contexts: what F1 and the Help buttons open.
constexpr int kMainWindowHelp = 10;
constexpr int kPrintRangeHelp = 20;
constexpr int kPreferencesHelp = 25;
constexpr int kFindDateHelp = 30;
constexpr int kExportHelp = 35;

// The command ID the F1 key raises in every form, and its accelerator table.
constexpr int kHelpKeyCommand = 911;
inline constexpr const char* kHelpKeyAccelerator = "F1,911";

namespace global {
// The icon every form shows, as the toolkit loaded it at start-up.
extern std::string programIcon;
// Today's date number, taken when the main window loads.
extern DateNumber today;
// Where the time comes from; tests put a fixed moment here.
extern std::time_t (*currentTime)();
} // namespace global

// The local date as "MM-DD-YYYY".
std::string localDateText();
