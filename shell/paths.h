#pragma once
#include <string>

// Program-wide paths, set once at start-up; folders end with "/".
namespace global {
extern std::string programFolder;
extern std::string settingsPath;
extern std::string helpFile;
extern std::string pdfFolder;
extern std::string pdfViewerPath;
extern int helpContext;
} // namespace global
