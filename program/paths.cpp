#include "program/paths.h"

#include <filesystem>
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

bool isFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

bool isInstalledCopy(const std::string& executableFolder) {
    return isFolder(withTrailingSlash(executableFolder) + kInstalledDataFolder);
}

std::string dataFolderFor(const std::string& executableFolder) {
    const std::string folder = withTrailingSlash(executableFolder);
    if (!isInstalledCopy(folder)) return folder;
    std::error_code error;
    const std::filesystem::path data =
        std::filesystem::weakly_canonical(folder + kInstalledDataFolder, error);
    return error ? folder + kInstalledDataFolder : withTrailingSlash(data.string());
}

std::string shippedFilePath(const std::string& name) {
    const std::string beside = global::programFolder + name;
    struct stat info {};
    if (lstat(beside.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return beside;
    return global::dataFolder + name;
}
