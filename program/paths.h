#pragma once
#include <string>

// Program-wide paths, set once at start-up; folders end with "/".
namespace global {
extern std::string programFolder;
extern std::string settingsPath;
extern std::string helpFile;
extern std::string pdfFolder;
extern std::string pdfViewerPath;
// Where the files shipped with the program are read from: help topics, "History.rtf",
// "Release Notes.rtf".
extern std::string dataFolder;
} // namespace global

// An installed copy keeps its files in share/merivane beside its bin folder (/usr/bin and
// /usr/share/merivane, ~/.local/bin and ~/.local/share/merivane), in folders no other user can
// write; anywhere else (a parent folder such as /tmp) the copy is a portable one.
bool isInstalledCopy(const std::string& executableFolder);

// The folder of the files shipped with the program: share/merivane of an installed copy,
// otherwise the executable's own folder (a build tree, a portable copy). Ends with "/".
std::string dataFolderFor(const std::string& executableFolder);

// A shipped file that an update may bring anew ("Release Notes.rtf", "History.rtf"): the copy an
// installer left beside "Zarn.ini" when there is one, otherwise the one in the data folder.
std::string shippedFilePath(const std::string& name);
