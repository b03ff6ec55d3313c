#include "update/installer_file.h"
#include "common/translate.h"

#include "common/numbers.h"
#include "program/paths.h"
#include "program/settings.h"
#include "update/update_state.h"

#include <cerrno>
#include <fnmatch.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file name fits the 260-byte buffer of the installer's address.
constexpr std::size_t kLongestPart = 259;

// Files and folders beside the settings file that belong to the program.
const char* const kProgramFiles[] = {"Zarn.ini",    "Updater.ini", "Release Notes.rtf",
                                     "History.rtf", "PDF",         "Help"};
// The program's executables and libraries all start with one of these.
const char* const kProgramPrefixes[] = {"merivane", "libmerivane"};

std::string executableName() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    const std::string text(path, static_cast<std::size_t>(length));
    return text.substr(text.rfind('/') + 1);
}

bool isProgramFile(const std::string& name) {
    for (const char* programFile : kProgramFiles)
        if (name == programFile) return true;
    for (const char* prefix : kProgramPrefixes)
        if (name.rfind(prefix, 0) == 0) return true;
    return name == executableName();
}

} // namespace

// The installer's address: "https://" host "/" path "/" file name, split by the HTTP client. The
// address comes from the network: it must be https and each part must fit, or nothing is
// downloaded.
bool splitInstallerAddress(const std::string& address, InstallerAddress& parts,
                           std::string& reason) {
    if (!HttpSplitAddress(address, parts)) {
        reason = HttpIsHttpsAddress(address)
                     ? translate("The address does not end with a usable file name.")
                     : translate("Only secure (https) addresses are used for downloads.");
        return false;
    }
    if (isProgramFile(parts.fileName)) {
        reason = translate("The address names one of the program's own files.");
        return false;
    }
    if (!isInstallerFileName(parts.fileName)) {
        reason = translate("The address does not end with a usable file name.");
        return false;
    }
    return true;
}

bool isInstallerFileName(const std::string& name) {
    // A leading "." hides a file, and the program's temporary files start with one.
    if (name.empty() || name.front() == '.' || name.size() > kLongestPart) return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '/') return false;
    }
    return !isProgramFile(name);
}

bool couldBeDownload(const std::string& folder, const std::string& name) {
    if (!isInstallerFileName(name)) return false;
    struct stat info {};
    if (lstat((folder + name).c_str(), &info) != 0) return false;
    return S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_uid == geteuid();
}

namespace {

constexpr const char* kNameKey = "Install";
constexpr const char* kSizeKey = "InstallSize";
constexpr const char* kTimeKey = "InstallTime";
constexpr const char* kInodeKey = "InstallInode";

std::int64_t modifiedNs(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

} // namespace

// [Update] of the settings file (it can be edited by hand, so each value is checked):
//   Install=the installer's file name in the program's folder
//   InstallSize=its size in bytes, decimal digits
//   InstallTime=its modification time in nanoseconds since 1970, decimal digits
//   InstallInode=its inode number, decimal digits
// A record without every value, or with one that is not a number, records nothing.
InstallerRecord recordedInstaller() {
    InstallerRecord record;
    const auto read = [](const char* key) {
        return ReadSetting(global::settingsPath, kUpdateSection, key, "");
    };
    const std::string name = read(kNameKey);
    if (!parseWholeNumber(read(kSizeKey), record.size) ||
        !parseWholeNumber(read(kTimeKey), record.modifiedNs) ||
        !parseWholeNumber(read(kInodeKey), record.inode))
        return InstallerRecord{};
    record.name = name;
    return record;
}

bool recordInstaller(const std::string& folder, const std::string& name,
                     std::vector<SettingEntry> alongside) {
    struct stat info {};
    if (!couldBeDownload(folder, name) || lstat((folder + name).c_str(), &info) != 0) return false;
    alongside.insert(alongside.begin(),
                     {{kUpdateSection, kNameKey, name},
                      {kUpdateSection, kSizeKey, std::to_string(info.st_size)},
                      {kUpdateSection, kTimeKey, std::to_string(modifiedNs(info))},
                      {kUpdateSection, kInodeKey, std::to_string(info.st_ino)}});
    return WriteSettings(global::settingsPath, alongside);
}

void forgetInstaller() {
    WriteSettings(global::settingsPath, {{kUpdateSection, kNameKey, ""},
                                         {kUpdateSection, kSizeKey, ""},
                                         {kUpdateSection, kTimeKey, ""},
                                         {kUpdateSection, kInodeKey, ""}});
}

bool isRecordedInstaller(const std::string& folder, const InstallerRecord& record) {
    struct stat info {};
    if (record.name.empty() || !couldBeDownload(folder, record.name) ||
        lstat((folder + record.name).c_str(), &info) != 0)
        return false;
    return static_cast<std::uint64_t>(info.st_size) == record.size &&
           modifiedNs(info) == record.modifiedNs &&
           static_cast<std::uint64_t>(info.st_ino) == record.inode;
}

bool mayStoreDownload(const std::string& folder, const std::string& name,
                      const InstallerRecord& recorded) {
    if (!isInstallerFileName(name)) return false;
    struct stat info {};
    if (lstat((folder + name).c_str(), &info) != 0) return errno == ENOENT;
    if (name == recorded.name && isRecordedInstaller(folder, recorded)) return true;
    return fnmatch(kOldInstallers, name.c_str(), FNM_CASEFOLD) == 0 &&
           couldBeDownload(folder, name);
}
