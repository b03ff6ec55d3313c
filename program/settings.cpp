#include "program/settings.h"

#include "common/atomic_file.h"
#include "common/numbers.h"
#include "common/read_file.h"
#include "common/text.h"
#include "program/paths.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace global {
PreferenceRecord preferences;
PageBranding pageBranding;
} // namespace global

namespace {

constexpr std::size_t kNameLimit = 299;
constexpr std::size_t kReadLimit = 3999;
constexpr std::size_t kValueLimit = 999;
// A settings file larger than this is not ours; reading stops there rather than exhausting memory.
constexpr std::size_t kFileLimit = 4 * 1024 * 1024;
constexpr int kLastCalendarNumber = 999;

std::string cut(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, limit));
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::vector<std::string> splitLines(const std::string& content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::size_t stop = end;
        if (stop > start && content[stop - 1] == '\r') --stop;
        lines.push_back(content.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

// The section name of a "[name]" line, or false for any other line.
bool sectionOf(const std::string& line, std::string& name) {
    const std::string trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed[0] != '[') return false;
    const std::size_t close = trimmed.find(']');
    name = trimBlanks(std::string_view(trimmed).substr(
        1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// The key and value of a "key=value" line; comment lines (";" or "#") have none.
bool entryOf(const std::string& line, std::string& key, std::string& value) {
    const std::string trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') return false;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string::npos) return false;
    key = trimBlanks(std::string_view(trimmed).substr(0, equals));
    value = trimBlanks(std::string_view(trimmed).substr(equals + 1));
    return true;
}

bool hasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

// The file is a Windows-style INI file: "[section]" lines, each followed by "key=value"
// lines; names compare without regard to case, blanks around names and values are
// dropped, lines starting with ";" or "#" are comments, and any other line is ignored.
// Either line end is accepted. The first matching section and key win.
std::string ReadSetting(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& defaultValue) {
    const std::string fallback = trimBlanks(cut(defaultValue, kNameLimit));
    std::string content;
    // The path is used whole: a cut one would name another file, in another folder.
    const FileRead read = readRegularFile(file, kFileLimit, content);
    if (read != FileRead::Read && read != FileRead::TooLarge) return fallback;
    const std::string wantedSection = trimBlanks(cut(section, kNameLimit));
    const std::string wantedKey = trimBlanks(cut(key, kNameLimit));
    bool inSection = false;
    std::string name, entryKey, entryValue;
    for (const std::string& line : splitLines(content)) {
        if (sectionOf(line, name)) {
            inSection = sameName(name, wantedSection);
            continue;
        }
        if (!inSection || !entryOf(line, entryKey, entryValue)) continue;
        if (!sameName(entryKey, wantedKey)) continue;
        // Values are C strings to their readers: a stray NUL ends them.
        const std::size_t nul = entryValue.find('\0');
        if (nul != std::string::npos) entryValue.resize(nul);
        return trimBlanks(cut(entryValue, kReadLimit));
    }
    return fallback;
}

namespace {

// The entry's parts as they are written, or false when writing it would be refused.
bool acceptableEntry(const SettingEntry& entry, SettingEntry& cleaned) {
    cleaned.section = cut(trimBlanks(entry.section), kNameLimit);
    cleaned.key = cut(trimBlanks(entry.key), kNameLimit);
    cleaned.value = cut(trimBlanks(entry.value), kValueLimit);
    if (cleaned.section.empty() || cleaned.key.empty()) return false;
    // A line break in any part would write a second, unintended entry into the file.
    if (hasLineBreakOrNul(cleaned.section) || hasLineBreakOrNul(cleaned.key) ||
        hasLineBreakOrNul(cleaned.value) || cleaned.key.find('=') != std::string::npos ||
        cleaned.section.find(']') != std::string::npos)
        return false;
    // The entry line would read back as a comment or a section line, never as this key.
    return std::string_view(";#[").find(cleaned.key[0]) == std::string_view::npos;
}

// Replaces the key's value in the first section of that name, or adds the key at the end of
// that section, or adds the section at the end of the file.
void placeEntry(std::vector<std::string>& lines, const SettingEntry& entry) {
    const std::string line = entry.key + "=" + entry.value;
    std::size_t sectionLine = std::string::npos, lastInSection = 0, keyLine = std::string::npos;
    bool inSection = false;
    std::string name, entryKey, entryValue;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (sectionOf(lines[i], name)) {
            if (sectionLine != std::string::npos && inSection) break;
            inSection = sameName(name, entry.section);
            if (inSection) sectionLine = lastInSection = i;
            continue;
        }
        if (!inSection) continue;
        if (!trimBlanks(lines[i]).empty()) lastInSection = i;
        if (entryOf(lines[i], entryKey, entryValue) && sameName(entryKey, entry.key)) {
            keyLine = i;
            break;
        }
    }

    if (keyLine != std::string::npos) {
        const std::size_t equals = lines[keyLine].find('=');
        lines[keyLine] =
            trimBlanks(std::string_view(lines[keyLine]).substr(0, equals)) + "=" + entry.value;
    } else if (sectionLine != std::string::npos) {
        lines.insert(lines.begin() + static_cast<long>(lastInSection) + 1, line);
    } else {
        if (!lines.empty() && !trimBlanks(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + entry.section + "]");
        lines.push_back(line);
    }
}

} // namespace

bool WriteSettings(const std::string& file, const std::vector<SettingEntry>& entries) {
    const std::string path = trimBlanks(file);
    if (path.empty()) return false;
    std::vector<SettingEntry> cleaned(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!acceptableEntry(entries[i], cleaned[i])) return false;

    std::string content;
    const FileRead read = readRegularFile(path, kFileLimit, content);
    // A file that exists but cannot be read whole is never replaced: its settings would be lost.
    if (read == FileRead::Failed || read == FileRead::TooLarge) return false;
    const std::string lineEnd = content.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::vector<std::string> lines = splitLines(content);
    for (const SettingEntry& entry : cleaned)
        placeEntry(lines, entry);

    std::string output;
    for (const std::string& line : lines)
        output += line + lineEnd;
    std::string error;
    return replaceFileAtomically(path, output, error);
}

bool WriteSetting(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
    return WriteSettings(file, {{section, key, value}});
}

bool SettingsFileTooLarge(const std::string& file) {
    struct stat info {};
    return stat(trimBlanks(file).c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           static_cast<std::size_t>(info.st_size) > kFileLimit;
}

namespace {

// The languages of the window and of the pages, as languageSettingText writes them.
constexpr const char* kDisplaySection = "Display";
constexpr const char* kWindowLanguageKey = "Language";
constexpr const char* kPageLanguageKey = "PageLanguage";

void loadFlag(const char* key, const char* defaultValue, std::uint16_t bit) {
    const std::string text = ReadSetting(global::settingsPath, "Preferences", key, defaultValue);
    if (leadingFlag(text))
        global::preferences.flags |= bit;
    else
        global::preferences.flags &= static_cast<std::uint16_t>(~bit);
}

} // namespace

void LoadPreferences() {
    global::preferences.pageLanguage = languageFromSettingText(
        ReadSetting(global::settingsPath, kDisplaySection, kPageLanguageKey, ""));
    loadFlag("Style", "1", kRememberStyleFlag);
    loadFlag("IntelYear", "0", kIntelligentYearFlag);
    loadFlag("Quarters", "0", kQuarterWeeksFlag);
    loadFlag("ShowTips", "1", kTooltipsFlag);
    loadFlag("Update", "1", kUpdateAlertFlag);
}

void SavePreferences(const PreferenceRecord& working) {
    global::preferences = working;
    const auto flagText = [](std::uint16_t bit) {
        return (global::preferences.flags & bit) ? "1" : "0";
    };
    // Unchecked (in memory): the live record keeps them for the rest of the run.
    WriteSettings(global::settingsPath,
                  {{"Preferences", "Style", flagText(kRememberStyleFlag)},
                   {"Preferences", "IntelYear", flagText(kIntelligentYearFlag)},
                   {"Preferences", "Quarters", flagText(kQuarterWeeksFlag)},
                   {"Preferences", "Update", flagText(kUpdateAlertFlag)},
                   {"Preferences", "ShowTips", flagText(kTooltipsFlag)},
                   {kDisplaySection, kPageLanguageKey, languageSettingText(working.pageLanguage)}});
}

void LoadPageBranding() {
    global::pageBranding.credit = trimBlanks(
        singleLineText(ReadSetting(global::settingsPath, "Pages", "Credit", ""), kCreditLimit));
    global::pageBranding.logo = ReadSetting(global::settingsPath, "Pages", "Logo", "");
}

bool SavePageBranding(const PageBranding& branding) {
    global::pageBranding.credit = trimBlanks(singleLineText(branding.credit, kCreditLimit));
    global::pageBranding.logo = branding.logo;
    // A path the file cannot hold whole would name another file when read back: it is kept for
    // this run only.
    std::string storedLogo = branding.logo;
    if (storedLogo.size() > kValueLimit || hasLineBreakOrNul(storedLogo) ||
        trimBlanks(storedLogo) != storedLogo)
        storedLogo.clear();
    return WriteSettings(global::settingsPath, {{"Pages", "Credit", global::pageBranding.credit},
                                                {"Pages", "Logo", storedLogo}});
}

int FollowingCalendarNumber() {
    // [PDF] Number holds the last file number, 1 to 999; anything else starts again at 1.
    const int last = leadingInteger(ReadSetting(global::settingsPath, "PDF", "Number", "0"));
    return last >= 0 && last < kLastCalendarNumber ? last + 1 : 1;
}

int NextCalendarNumber() {
    const int number = FollowingCalendarNumber();
    // Unchecked (scratch): each start deletes the numbered calendars, so a repeated number only
    // replaces an earlier calendar of this run.
    WriteSetting(global::settingsPath, "PDF", "Number", std::to_string(number));
    return number;
}

Language ReadWindowLanguage() {
    return languageFromSettingText(
        ReadSetting(global::settingsPath, kDisplaySection, kWindowLanguageKey, ""));
}

bool SaveWindowLanguage(Language language) {
    return WriteSetting(global::settingsPath, kDisplaySection, kWindowLanguageKey,
                        languageSettingText(language));
}
