#pragma once
#include <string>
#include <vector>

// The folder of the running executable, with a trailing "/"; empty when it cannot be read,
// never the current folder.
std::string executableFolder();

// The places a library of the program's own named `name` is looked for, in order: beside the
// executable (the build's bin folder, a portable copy), then `installedFolder`
// ("../lib/merivane") of an installed copy whose folders no other user can write.
std::vector<std::string> programLibraryPlaces(const std::string& executableFolder,
                                              const std::string& installedFolder,
                                              const std::string& name);

// dlopen's handle of the library at path, an absolute path, once it is checked to be whole and
// safe to map; nullptr when it is missing, damaged, another user's, or cannot be loaded (a
// library it needs is missing).
void* openProgramLibrary(const std::string& path);
