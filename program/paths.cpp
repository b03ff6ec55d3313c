#include "program/paths.h"

#include "common/owned_folder.h"

#include <sys/stat.h>

namespace global {
std::string programFolder;
std::string settingsPath;
std::string helpFile;
std::string pdfFolder;
std::string pdfViewerPath;
std::string dataFolder;
} // namespace global

namespace {

constexpr const char* kInstalledDataFolder = "../share/merivane/";

std::string withTrailingSlash(const std::string& folder) {
    if (folder.empty()) return "./";
    return folder.back() == '/' ? folder : folder + "/";
}

} // namespace

bool isInstalledCopy(const std::string& executableFolder) {
    return !installedFolderFor(executableFolder, kInstalledDataFolder).empty();
}

std::string dataFolderFor(const std::string& executableFolder) {
    const std::string installed = installedFolderFor(executableFolder, kInstalledDataFolder);
    return installed.empty() ? withTrailingSlash(executableFolder) : installed;
}

std::string shippedFilePath(const std::string& name) {
    const std::string beside = global::programFolder + name;
    struct stat info {};
    if (lstat(beside.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return beside;
    return global::dataFolder + name;
}
