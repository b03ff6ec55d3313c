#pragma once
#include "program/program.h"

#include <string>
#include <string_view>

// The update site's offer: its version file, how versions compare, and the record of one offer.

inline constexpr const char* kVersionFilePath = "./updates/Zarn_v6.txt";
inline constexpr const char* kRichNotesPath = "./updates/Zarn_Whats_New.rtf";
inline constexpr const char* kUpdateSection = "Update";
// The most a version file may hold; a longer one is no answer, as its last line may be cut.
constexpr std::size_t kVersionTextLimit = 2000;

// Form names of the update windows.
inline constexpr const char* kUpdateAvailableForm = "UDAL";
inline constexpr const char* kDownloadProgressForm = "UDPG";
inline constexpr const char* kWhatsNewForm = "WN";

// A newer version as the update check found it, with the user's answer and what the download
// made of it; the installer at exit runs what it names.
struct UpdateOffer {
    std::string newVersion;
    bool major = false;
    bool manual = false; // the check was asked for from the Help menu
    std::string description;
    std::string notes;
    bool notesAreRichText = false;
    // "Download Now", taken back by any failure of the download.
    bool downloadAccepted = false;
    bool laterChosen = false;
    bool downloadCancelled = false;
    std::string installerFile; // the name the download stored it under
};

// The version file after its checks. Malformed files give valid = false and never an update.
struct VersionFile {
    bool valid;
    int lineCount;
    std::string installerAddress; // line 2
    std::string notesLine;        // line 3 of a four-line file, else empty
    std::string newVersion;       // the last line
};

VersionFile parseVersionFile(std::string_view text);

// Dotted versions compared part by part as whole numbers of any length, a missing part counting
// as 0; each is read up to its first character that is neither a digit nor "." ("6.0.0.3 beta"
// is 6.0.0.3, a text without digits is 0). Below 0, 0 or above 0 as a is older, equal or newer.
int compareVersions(std::string_view a, std::string_view b);
// "6.0.0.0".
std::string programVersionText();
// A version as a heading shows it: one longer than any real version (a site's 1,900 digits) is
// cut to its start and an ellipsis, so the text stays within its window.
std::string versionShown(std::string_view version);
// [Update] Ignore as it is stored: the version's digits without the dots when every part is one
// digit (6001 for 6.0.0.1, the form settings files have always held), else the dotted version.
std::string ignoreSettingOf(std::string_view version);
// True when the stored Ignore value covers the version: it is not newer than the ignored one. A
// stored value without a "." has one digit per part.
bool isIgnoredVersion(std::string_view version, std::string_view stored);
// True when the new version's leading number (up to its second ".") is a whole step away from
// the program's major version.
bool isMajorUpdate(std::string_view newVersion);

// The update site's base address, ending with "/": [Update] Site of the settings file, else the
// address the program was built with; "" when neither is set (updates are not configured).
std::string updateSiteAddress();
