#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// A file being written that replaces its target only when complete.
struct AtomicFile {
    int descriptor; // -1 when not open
    std::string targetPath;
    std::string temporaryPath; // empty while the file is unnamed (O_TMPFILE)
};

// Names of the program's own temporary files start with this, so a later start can tell its
// leftovers from anything else in a folder.
inline constexpr std::string_view kTemporaryFilePrefix = ".merivane-";

// What becomes of a symbolic link as the target: followed (the file it names is replaced and the
// link stays), or refused, so nothing is ever written outside the target's folder.
enum LinkTarget { kFollowLink, kRefuseLink };

// Opens the new content's file in the target's folder. Refuses (false, reason in error) an
// existing target that is not a regular file or that may not be written (read-only), and never
// follows a link planted under a temporary name.
bool beginAtomicFile(AtomicFile& file, const std::string& targetPath, std::string& error,
                     LinkTarget link = kFollowLink);
// Every byte is written or the call fails (ENOSPC gives "the disk is full"); on failure the new
// content is dropped as by abandonAtomicFile.
bool writeAtomicFile(AtomicFile& file, const void* data, std::size_t size, std::string& error);
// fsync, close checked, then the file takes the target's name; on failure nothing is left.
bool commitAtomicFile(AtomicFile& file, std::string& error);
// Drops the new content; the target stays as it was and no temporary file remains. Safe to call
// on a file that is not open.
void abandonAtomicFile(AtomicFile& file);
// The whole of contents as the new targetPath.
bool replaceFileAtomically(const std::string& targetPath, std::string_view contents,
                           std::string& error);
// Removes regular files named kTemporaryFilePrefix + six characters from folder: what a save
// cut short by a crash can leave. Returns how many went.
int removeLeftoverTemporaryFiles(const std::string& folder);
// Plain words for an errno value ("the disk is full", "permission denied", ...).
std::string fileErrorText(int errorNumber);
