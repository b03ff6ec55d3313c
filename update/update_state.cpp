#include "update/update_state.h"

#include "program/version.h"

#include "common/numbers.h"
#include "common/text.h"
#include "program/paths.h"
#include "program/settings.h"
#include "update/http_client.h"
#include "update/update_site.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr std::string_view kLineBreak = "\r\n";
// A version file needs its installer address (line 2) before its version (the last line).
constexpr int kFewestLines = 3;
constexpr int kLinesWithNotes = 4;

std::vector<std::string> splitAtLineBreaks(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(kLineBreak, start);
        if (end == std::string_view::npos) break;
        lines.emplace_back(text.substr(start, end - start));
        start = end + kLineBreak.size();
    }
    lines.emplace_back(text.substr(start));
    return lines;
}

// Text files hold printable characters, tabs and line ends; anything else is not a version file.
bool isText(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\t' || byte == '\r' || byte == '\n') continue;
        if (byte < 0x20 || byte == 0x7F) return false;
    }
    return true;
}

} // namespace

// The version file, as the update site serves it (untrusted; at most 2000 bytes are read):
//   line 1     free text, not read
//   line 2     the installer's full address, "https://host/path/Installer.exe"
//   line 3     what's new, its lines separated by "|" (used only when there are four lines)
//   last line  the new version, dotted digits such as 6.0.0.1
// Lines are separated by CR LF (a lone LF does not separate) and the last line has no line
// break after it; one that has makes the last line empty, so no update is seen. A file with
// fewer than three lines, or with bytes that are not text, is not a version file.
VersionFile parseVersionFile(std::string_view text) {
    VersionFile file{};
    if (text.empty() || !isText(text)) return file;
    const std::vector<std::string> lines = splitAtLineBreaks(text);
    file.lineCount = static_cast<int>(lines.size());
    if (file.lineCount < kFewestLines) return file;
    file.installerAddress = lines[1];
    if (file.lineCount == kLinesWithNotes) file.notesLine = lines[2];
    file.newVersion = lines.back();
    file.valid = true;
    return file;
}

namespace {

// The digits and dots a version starts with.
std::string_view versionPrefix(std::string_view version) {
    std::size_t end = 0;
    while (end < version.size() &&
           (version[end] == '.' || (version[end] >= '0' && version[end] <= '9')))
        ++end;
    return version.substr(0, end);
}

// The part of a dotted version that starts at pos, without its leading zeros ("" stands for 0);
// pos moves past it and its ".", beyond the end after the last part.
std::string_view nextPart(std::string_view version, std::size_t& pos) {
    if (pos > version.size()) return "";
    std::size_t end = version.find('.', pos);
    if (end == std::string_view::npos) end = version.size();
    std::string_view part = version.substr(pos, end - pos);
    pos = end + 1;
    while (!part.empty() && part.front() == '0')
        part.remove_prefix(1);
    return part;
}

// "6.0.0.1" but not "6.10" or ".099.": a digit, then "." and a digit, and so on.
bool hasOneDigitParts(std::string_view version) {
    if (version.size() % 2 == 0) return false;
    for (std::size_t i = 0; i < version.size(); ++i)
        if ((version[i] == '.') != (i % 2 == 1)) return false;
    return true;
}

} // namespace

int compareVersions(std::string_view a, std::string_view b) {
    a = versionPrefix(a);
    b = versionPrefix(b);
    std::size_t posA = 0, posB = 0;
    while (posA <= a.size() || posB <= b.size()) {
        const std::string_view partA = nextPart(a, posA), partB = nextPart(b, posB);
        // Without leading zeros the longer run of digits is the larger number.
        if (partA.size() != partB.size()) return partA.size() < partB.size() ? -1 : 1;
        if (const int order = partA.compare(partB); order != 0) return order < 0 ? -1 : 1;
    }
    return 0;
}

std::string ignoreSettingOf(std::string_view version) {
    version = versionPrefix(version);
    std::string digits;
    for (const char c : version)
        if (c != '.') digits += c;
    if (hasOneDigitParts(version)) return digits;
    // Without a "." the stored value would be read back one digit per part.
    return version.find('.') == std::string_view::npos ? std::string(version) + ".0"
                                                       : std::string(version);
}

bool isIgnoredVersion(std::string_view version, std::string_view stored) {
    stored = versionPrefix(stored);
    if (stored.find('.') != std::string_view::npos) return compareVersions(version, stored) <= 0;
    std::string dotted;
    for (const char c : stored) {
        if (!dotted.empty()) dotted += '.';
        dotted += c;
    }
    return compareVersions(version, dotted) <= 0;
}

std::string programVersionText() {
    return kProgramVersion;
}

std::string versionShown(std::string_view version) {
    // Real versions ("6.0.0.12") are far shorter; the heading has room for about this many.
    constexpr std::size_t kLongestShown = 16;
    constexpr std::size_t kStartKept = 12;
    if (version.size() <= kLongestShown) return std::string(version);
    std::size_t cut = kStartKept;
    // Never inside a UTF-8 character.
    while (cut > 0 && (static_cast<unsigned char>(version[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(version.substr(0, cut)) + "\u2026";
}

bool isMajorUpdate(std::string_view newVersion) {
    const std::size_t firstDot = newVersion.find('.');
    const std::size_t secondDot =
        firstDot == std::string_view::npos ? firstDot : newVersion.find('.', firstDot + 1);
    const double leading = leadingNumber(newVersion.substr(0, secondDot));
    return roundHalfEven(std::fabs(leading - leadingNumber(kProgramVersion))) != 0;
}

std::string updateSiteAddress() {
    std::string address =
        trimBlanks(ReadSetting(global::settingsPath, kUpdateSection, "Site", builtInUpdateSite()));
    // The site is opened in the browser and nothing but https is ever fetched: another scheme
    // (file:, a program's own) counts as no site at all.
    if (!HttpIsHttpsAddress(address)) return "";
    if (address.back() != '/') address += '/';
    return address;
}
