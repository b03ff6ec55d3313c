#pragma once
#include <string>

// The update site's base address the program was built with (the CMake cache variable
// MERIVANE_UPDATE_BASE_URL, e.g. "https://example.com/merivane/"); empty when the build has
// none. "[Update] Site" in "Zarn.ini" takes precedence over it.
std::string builtInUpdateSite();
