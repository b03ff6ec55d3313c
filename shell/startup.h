#pragma once
#include <string>

// Runs Merivane: the toolkit's run loop with the program's start, design and event callbacks,
// until the main window ends. executableFolder is the folder the program runs from ("" asks the
// toolkit); it decides where the settings and the calendars are kept.
int runMerivane(int argc, char** argv, const std::string& executableFolder);

// The folder for "Zarn.ini" and "PDF/": the executable's folder when it can be written (a build
// tree, a portable copy), otherwise, and always for an installed copy, the per-user data folder
// $XDG_DATA_HOME/merivane. Canonical, ending with "/".
std::string chooseProgramFolder(const std::string& executableFolder);

// Makes every folder of path (a last component with a "." is a file name and is left out).
// Returns 1 when they all exist afterwards, else 0 after telling the user why.
int MakePath(const std::string& path);

// Why the PDF folder took no file at start-up ("the disk is full"); "" when it took one.
std::string pdfFolderProblem();
