#pragma once
#include <string>

// True when path is a folder and it and every folder above it (links resolved) belong to root
// or to this user and neither their group (unless it is the user's private group) nor others
// may write to them (a folder above it may be a shared one with the sticky bit, such as /tmp):
// no other user can have put anything there.
bool isFolderOwnedSafely(const std::string& path);

// The folder `relative` ("../lib/merivane") of an installed copy, resolved and ending with "/";
// empty when the executable's folder is not an installed copy's (share/merivane beside its bin
// folder) or when the executable's folder, share/merivane or that folder is not owned safely.
// A copy that is not installed reads nothing outside its own folder.
std::string installedFolderFor(const std::string& executableFolder, const std::string& relative);
