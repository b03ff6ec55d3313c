#include "shell/paths.h"

namespace global {
std::string programFolder;
std::string settingsPath;
std::string helpFile;
std::string pdfFolder;
std::string pdfViewerPath;
int helpContext;
} // namespace global
