#pragma once
// A desktop of a test's own, so the machine's desktop settings never reach the program under test.
#include <filesystem>
#include <string>

// XDG folders under root (config, data, config-dirs, data-dirs, a private runtime folder) and,
// when viewerScript is not empty, a PDF viewer "fakeviewer.desktop" that runs it with the file.
void makeFakeDesktop(const std::filesystem::path& root, const std::string& viewerScript);
// Points this process's XDG variables and HOME at root's desktop and forgets the machine's own.
void enterFakeDesktop(const std::filesystem::path& root);
