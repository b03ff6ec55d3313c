#pragma once
#include "update/http_client.h"

#include <string>

// The installer a download stores in the program's folder: its address, the names it may take,
// and which files may be taken for an earlier one.

// Installers of earlier updates that start-up deletes from the program's folder; names are
// compared without regard to case.
inline constexpr const char* kOldInstallers = "Zarn_*.exe";

// The installer's address as the HTTP client splits it.
using InstallerAddress = HttpAddressParts;

// Splits an installer's address; false, with the reason in words for the user, when it is not
// https, a piece does not fit or the file name is not one a download may take.
bool splitInstallerAddress(const std::string& address, InstallerAddress& parts,
                           std::string& reason);

// A name a download may take in the program's folder: one visible name of printable characters,
// none of the program's own files.
bool isInstallerFileName(const std::string& name);

// True when folder + name is a file an earlier download could have left: an installer name, a
// regular file (not a link) with no other name, owned by this user.
bool couldBeDownload(const std::string& folder, const std::string& name);

// True when folder + name is free for a download: nothing has the name, or an earlier download
// does (it could be one, and is the installer recorded as `recorded` or an old installer).
bool mayStoreDownload(const std::string& folder, const std::string& name,
                      const std::string& recorded);
