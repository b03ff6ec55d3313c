#include "update/installer_file.h"

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
                     ? "The address does not end with a usable file name."
                     : "Only secure (https) addresses are used for downloads.";
        return false;
    }
    if (isProgramFile(parts.fileName)) {
        reason = "The address names one of the program's own files.";
        return false;
    }
    if (!isInstallerFileName(parts.fileName)) {
        reason = "The address does not end with a usable file name.";
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

bool mayStoreDownload(const std::string& folder, const std::string& name,
                      const std::string& recorded) {
    if (!isInstallerFileName(name)) return false;
    struct stat info {};
    if (lstat((folder + name).c_str(), &info) != 0) return errno == ENOENT;
    const bool ours = name == recorded || fnmatch(kOldInstallers, name.c_str(), FNM_CASEFOLD) == 0;
    return ours && couldBeDownload(folder, name);
}
