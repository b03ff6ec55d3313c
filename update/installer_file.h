#pragma once
#include "program/settings.h"
#include "update/http_client.h"

#include <cstdint>
#include <string>
#include <vector>

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

// The installer a download stored, as [Update] of the settings file records it: its name under
// Install, and beside it what the file was when the download completed, so that start-up deletes
// that very file and never another one the name may come to stand for.
struct InstallerRecord {
    std::string name; // "" when nothing (or only part of a record) is recorded
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // modification time, nanoseconds since 1970
    std::uint64_t inode = 0;
};

// The record in the settings file.
InstallerRecord recordedInstaller();
// Records folder + name as the download has just left it, in one write with the entries given
// alongside; false, and nothing recorded, when it is not a file a download could have left or
// the settings file cannot be written.
bool recordInstaller(const std::string& folder, const std::string& name,
                     std::vector<SettingEntry> alongside = {});
// Empties the record.
void forgetInstaller();
// True when folder + record.name is still the file recorded: one a download could have left,
// with the same inode, size and modification time.
bool isRecordedInstaller(const std::string& folder, const InstallerRecord& record);

// True when folder + name is free for a download: nothing has the name, or an earlier download
// does (the installer `recorded` as it was left, or an old installer).
bool mayStoreDownload(const std::string& folder, const std::string& name,
                      const InstallerRecord& recorded);
