#include "common/owned_folder.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kInstalledDataFolder = "../share/merivane";

// The user's private group (a group of the user's name with no other member), which systems
// that give each user one leave able to write the home folder.
bool isUsersOwnGroup(gid_t group) {
    const passwd* user = getpwuid(getuid());
    const struct group* entry = getgrgid(group);
    if (user == nullptr || entry == nullptr || group != user->pw_gid) return false;
    if (std::strcmp(entry->gr_name, user->pw_name) != 0) return false;
    for (char** member = entry->gr_mem; *member != nullptr; ++member)
        if (std::strcmp(*member, user->pw_name) != 0) return false;
    return true;
}

// A folder on the way may be a shared one with the sticky bit (/tmp): others may add their own
// entries there but not replace this user's, and the next folder down is checked in its turn.
bool ownedSafely(const std::string& folder, bool onTheWay) {
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    if (status.st_uid != 0 && status.st_uid != getuid()) return false;
    if (onTheWay && (status.st_mode & S_ISVTX) != 0) return true;
    if ((status.st_mode & S_IWOTH) != 0) return false;
    return (status.st_mode & S_IWGRP) == 0 || isUsersOwnGroup(status.st_gid);
}

std::string resolved(const std::string& path) {
    char real[PATH_MAX];
    if (path.empty() || realpath(path.c_str(), real) == nullptr) return "";
    return real;
}

} // namespace

bool isFolderOwnedSafely(const std::string& path) {
    const std::string real = resolved(path);
    if (real.empty() || real.front() != '/') return false;
    // "/" first, then every folder on the way down.
    for (std::size_t slash = 0; slash != std::string::npos; slash = real.find('/', slash + 1)) {
        if (!ownedSafely(slash == 0 ? "/" : real.substr(0, slash), true)) return false;
    }
    return ownedSafely(real, false);
}

std::string installedFolderFor(const std::string& executableFolder, const std::string& relative) {
    if (executableFolder.empty()) return "";
    const std::string folder =
        executableFolder.back() == '/' ? executableFolder : executableFolder + "/";
    if (!isFolderOwnedSafely(folder) || !isFolderOwnedSafely(folder + kInstalledDataFolder))
        return "";
    const std::string wanted = resolved(folder + relative);
    if (wanted.empty() || !isFolderOwnedSafely(wanted)) return "";
    return wanted.back() == '/' ? wanted : wanted + "/";
}
