#include "update/update_state.h"

#include "program/version.h"

#include "common/numbers.h"
#include "common/text.h"
#include "program/paths.h"
#include "program/settings.h"
#include "update/update_site.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace global {
UpdateState update;
} // namespace global

namespace {

constexpr std::string_view kLineBreak = "\r\n";
// A version file needs its installer address (line 2) before its version (the last line).
constexpr int kFewestLines = 3;
constexpr int kLinesWithNotes = 4;
// More digits than this cannot be a version of ours and would not fit the number.
constexpr std::size_t kLongestVersionDigits = 18;

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
    file.versionNumber = versionNumber(file.newVersion);
    file.valid = true;
    return file;
}

std::int64_t versionNumber(std::string_view version) {
    std::string digits;
    for (const char c : version) {
        if (c == '.') continue;
        if (c < '0' || c > '9') break;
        digits += c;
    }
    if (digits.empty() || digits.size() > kLongestVersionDigits) return 0;
    std::int64_t number = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return result.ec == std::errc() ? number : 0;
}

std::int64_t programVersionNumber() {
    return versionNumber(kProgramVersion);
}

std::string programVersionText() {
    return kProgramVersion;
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
    if (!address.empty() && address.back() != '/') address += '/';
    return address;
}
