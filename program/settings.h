#pragma once
#include "common/translate.h"

#include <cstdint>
#include <string>
#include <vector>

std::string ReadSetting(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& defaultValue);
bool WriteSetting(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value);

struct SettingEntry {
    std::string section;
    std::string key;
    std::string value;
};
// Writes the entries in order with one replacement of the file, as WriteSetting would one by one.
// False, and nothing written, when any entry would be refused or the file cannot be replaced.
bool WriteSettings(const std::string& file, const std::vector<SettingEntry>& entries);
// True when the file is larger than the store reads whole (4 MB): every write to it is refused,
// as its later settings would be lost.
bool SettingsFileTooLarge(const std::string& file);

// The in-memory preferences; the flag bits are fixed because the dialog copies them as a whole.
struct PreferenceRecord {
    std::int32_t style;
    std::uint16_t flags;
    // The language the calendars are printed in; Automatic prints them in the window's.
    Language pageLanguage = Language::Automatic;
};

enum PreferenceFlag : std::uint16_t {
    kUpdateAlertFlag = 1u << 0,
    kTooltipsFlag = 1u << 1,
    kQuarterWeeksFlag = 1u << 2,
    kRememberStyleFlag = 1u << 3,
    kIntelligentYearFlag = 1u << 4,
    kReaderFoundFlag = 1u << 6,
};

namespace global {
extern PreferenceRecord preferences;
} // namespace global

void LoadPreferences();
void SavePreferences(const PreferenceRecord& working);

// The user's own credit line and logo file for the window's calendars, [Pages] Credit and Logo;
// empty for the program's credit line and no logo.
struct PageBranding {
    std::string credit;
    std::string logo;
};
namespace global {
extern PageBranding pageBranding;
} // namespace global
// Reads them, the credit as one line of at most kCreditLimit characters.
void LoadPageBranding();
// Makes them live and writes them; false when the settings file could not be written.
bool SavePageBranding(const PageBranding& branding);

// The number of the next calendar file, after the output counter [PDF] Number of the settings
// file: 1 to 999, then 1 again. Nothing is written.
int FollowingCalendarNumber();
// Advances the output counter to FollowingCalendarNumber() and returns it.
int NextCalendarNumber();

// [Display] Language: the window's language as the user chose it. A missing key or a value
// other than "en", "fr" or "es" is Automatic, the desktop's language.
Language ReadWindowLanguage();
bool SaveWindowLanguage(Language language);
