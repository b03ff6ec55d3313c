#include "common/atomic_file.h"

#include "common/translate.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Six characters after the prefix: short, so any valid target name still leaves room.
constexpr std::size_t kRandomLength = 6;
constexpr int kNameAttempts = 100;
constexpr mode_t kNewFileMode = 0666;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A fresh temporary name in folder; the randomness makes planting a link under it pointless,
// and every creation under it is exclusive anyway.
std::string randomTemporaryName(const std::string& folder) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[kRandomLength] = {};
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // Without the kernel's randomness the exclusive creation still keeps us safe.
        for (unsigned char& byte : bytes)
            byte = static_cast<unsigned char>(std::rand());
    }
    std::string name = folder + "/" + std::string(kTemporaryFilePrefix);
    for (unsigned char byte : bytes)
        name += kAlphabet[byte % (sizeof kAlphabet - 1)];
    return name;
}

bool failWith(AtomicFile& file, std::string& error, int errorNumber) {
    error = fileErrorText(errorNumber);
    // A folder that exists yet has no room for a name (such as /proc) is not a missing one.
    struct stat folder {};
    if (errorNumber == ENOENT && !file.targetPath.empty() &&
        stat(folderOf(file.targetPath).c_str(), &folder) == 0 && S_ISDIR(folder.st_mode))
        error = translate("the folder takes no new files");
    abandonAtomicFile(file);
    return false;
}

// Read-only means no write permission bit at all, which root must respect too.
bool mayReplace(const struct stat& info, const std::string& path) {
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// The file a symbolic link target names; "" (error set) when that is no regular file. Links such
// as /dev/stdout name a pipe or a terminal that no path reaches, so the kind is checked first.
std::string resolvedTarget(const std::string& path, std::string& error) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    if (stat(path.c_str(), &info) != 0) {
        error =
            errno == ENOENT ? translate("it is a symbolic link to nothing") : fileErrorText(errno);
        return "";
    }
    if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? translate("it is a folder")
                                      : translate("it is not a regular file");
        return "";
    }
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) {
        error = fileErrorText(errno);
        return "";
    }
    std::string target = resolved;
    std::free(resolved);
    return target;
}

// Root replacing somebody's file leaves it theirs. A failure leaves it root's, which is no reason
// to lose the new content.
void keepOwner(int descriptor, const struct stat& old) {
    if (geteuid() != 0) return;
    if (fchown(descriptor, old.st_uid, old.st_gid) != 0) return;
}

// The permissions a new file gets, as open() would give them.
mode_t newFileMode() {
    // Reading the mask means setting it; files are made on one thread at a time.
    const mode_t mask = umask(0);
    umask(mask);
    return kNewFileMode & ~mask;
}

// The unnamed file in folder, or -1 with errno set; EOPNOTSUPP where the file system cannot.
int openUnnamedFile([[maybe_unused]] const std::string& folder) {
// Builds that prove the named fallback define MERIVANE_NAMED_TEMPORARY_FILES.
#if defined(O_TMPFILE) && !defined(MERIVANE_NAMED_TEMPORARY_FILES)
    // Naming it later goes through /proc unless we may link a descriptor directly.
    if (geteuid() != 0 && access("/proc/self/fd", X_OK) != 0) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kNewFileMode);
#else
    errno = EOPNOTSUPP;
    return -1;
#endif
}

bool unnamedFilesUnsupported(int errorNumber) {
    return errorNumber == EOPNOTSUPP || errorNumber == EISDIR || errorNumber == EINVAL;
}

// Gives the open unnamed file a name; EEXIST when the name is taken.
int linkUnnamedFile(int descriptor, const std::string& name) {
    if (linkat(descriptor, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    if (errno == EEXIST) return -1;
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
    return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
}

// Best effort: the rename itself is safe without it, only its survival of a power cut is not.
void syncFolder(const std::string& path) {
    const int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    fsync(folder);
    close(folder);
}

bool commitUnnamedFile(AtomicFile& file, std::string& error) {
    // A target that does not exist yet gets the file directly; no name is ever left over.
    struct stat info {};
    if (lstat(file.targetPath.c_str(), &info) != 0 && errno == ENOENT) {
        if (linkUnnamedFile(file.descriptor, file.targetPath) == 0) {
            const int descriptor = file.descriptor;
            file.descriptor = -1;
            if (close(descriptor) != 0) {
                const int reason = errno;
                unlink(file.targetPath.c_str());
                return failWith(file, error, reason);
            }
            syncFolder(file.targetPath);
            return true;
        }
        if (errno != EEXIST) return failWith(file, error, errno);
    }
    const std::string folder = folderOf(file.targetPath);
    for (int attempt = 0; attempt < kNameAttempts && file.temporaryPath.empty(); ++attempt) {
        const std::string name = randomTemporaryName(folder);
        if (linkUnnamedFile(file.descriptor, name) == 0)
            file.temporaryPath = name;
        else if (errno != EEXIST)
            return failWith(file, error, errno);
    }
    if (file.temporaryPath.empty()) return failWith(file, error, EEXIST);
    return true;
}

} // namespace

bool beginAtomicFile(AtomicFile& file, const std::string& targetPath, std::string& error,
                     LinkTarget link) {
    file = {-1, "", ""};
    if (targetPath.empty() || targetPath.back() == '/') {
        error = translate("it is not a file name");
        return false;
    }
    struct stat info {};
    if (link == kRefuseLink && lstat(targetPath.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        error = translate("it is a symbolic link");
        return false;
    }
    // The name itself is replaced when the file is complete, so a link planted there meanwhile
    // goes, and is not followed.
    const std::string target = link == kRefuseLink ? targetPath : resolvedTarget(targetPath, error);
    if (target.empty()) return false;
    mode_t mode = 0;
    const bool replacing =
        (link == kRefuseLink ? lstat(target.c_str(), &info) : stat(target.c_str(), &info)) == 0;
    if (replacing) {
        if (S_ISDIR(info.st_mode)) {
            error = translate("it is a folder");
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            error = translate("it is not a regular file");
            return false;
        }
        if (!mayReplace(info, target)) {
            error = translate("it is read-only");
            return false;
        }
        // Special bits are not carried over: a calendar or settings file never needs them.
        mode = info.st_mode & 0777;
    } else if (errno != ENOENT) {
        error = fileErrorText(errno);
        return false;
    } else {
        mode = newFileMode();
    }
    file.targetPath = target;
    const std::string folder = folderOf(target);
    file.descriptor = openUnnamedFile(folder);
    if (file.descriptor < 0 && !unnamedFilesUnsupported(errno)) return failWith(file, error, errno);
    if (file.descriptor < 0) {
        // mkostemp creates exclusively, so a link planted under the name is never followed.
        for (int attempt = 0; attempt < kNameAttempts && file.descriptor < 0; ++attempt) {
            std::string name = folder + "/" + std::string(kTemporaryFilePrefix) + "XXXXXX";
            file.descriptor = mkostemp(name.data(), O_CLOEXEC);
            if (file.descriptor >= 0) file.temporaryPath = name;
            if (file.descriptor < 0 && errno != EEXIST) return failWith(file, error, errno);
        }
        if (file.descriptor < 0) return failWith(file, error, EEXIST);
    }
    if (replacing) keepOwner(file.descriptor, info);
    if (fchmod(file.descriptor, mode) != 0) return failWith(file, error, errno);
    return true;
}

bool writeAtomicFile(AtomicFile& file, const void* data, std::size_t size, std::string& error) {
    if (file.descriptor < 0) return failWith(file, error, EBADF);
    const char* bytes = static_cast<const char*>(data);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t count = write(file.descriptor, bytes + written, size - written);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return failWith(file, error, errno);
        // A write that takes nothing would loop forever; the device has no room left.
        if (count == 0) return failWith(file, error, ENOSPC);
        written += static_cast<std::size_t>(count);
    }
    return true;
}

bool commitAtomicFile(AtomicFile& file, std::string& error) {
    if (file.descriptor < 0) return failWith(file, error, EBADF);
    // Written data may only fail to reach the disk here (delayed allocation, NFS).
    if (fsync(file.descriptor) != 0) return failWith(file, error, errno);
    if (file.temporaryPath.empty()) {
        if (!commitUnnamedFile(file, error)) return false;
        if (file.temporaryPath.empty()) {
            file = {-1, "", ""};
            return true;
        }
    }
    const int descriptor = file.descriptor;
    file.descriptor = -1;
    if (close(descriptor) != 0) return failWith(file, error, errno);
    if (std::rename(file.temporaryPath.c_str(), file.targetPath.c_str()) != 0)
        return failWith(file, error, errno);
    syncFolder(file.targetPath);
    file = {-1, "", ""};
    return true;
}

void abandonAtomicFile(AtomicFile& file) {
    if (file.descriptor >= 0) close(file.descriptor);
    if (!file.temporaryPath.empty()) unlink(file.temporaryPath.c_str());
    file = {-1, "", ""};
}

bool replaceFileAtomically(const std::string& targetPath, std::string_view contents,
                           std::string& error) {
    AtomicFile file{};
    if (!beginAtomicFile(file, targetPath, error)) return false;
    if (!writeAtomicFile(file, contents.data(), contents.size(), error)) return false;
    return commitAtomicFile(file, error);
}

int removeLeftoverTemporaryFiles(const std::string& folder) {
    DIR* listing = opendir(folder.c_str());
    if (!listing) return 0;
    int removed = 0;
    while (const dirent* entry = readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name.size() != kTemporaryFilePrefix.size() + kRandomLength) continue;
        if (name.substr(0, kTemporaryFilePrefix.size()) != kTemporaryFilePrefix) continue;
        struct stat info {};
        // Only plain files: a link is somebody else's, and never followed.
        if (fstatat(dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(info.st_mode)) continue;
        if (unlinkat(dirfd(listing), entry->d_name, 0) == 0) ++removed;
    }
    closedir(listing);
    return removed;
}

std::string fileErrorText(int errorNumber) {
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return translate("the disk is full");
    case EFBIG:
        return translate("the file is too large");
    case EACCES:
    case EPERM:
        return translate("permission denied");
    case EROFS:
        return translate("the disk is read-only");
    case ENOENT:
        return translate("the folder does not exist");
    case ENOTDIR:
        return translate("a part of the path is not a folder");
    case EISDIR:
        return translate("it is a folder");
    case ENAMETOOLONG:
        return translate("the name is too long");
    case ELOOP:
        return translate("too many symbolic links");
    case EIO:
        return translate("the disk reported an input/output error");
    case EMFILE:
    case ENFILE:
        return translate("too many files are open");
    case EEXIST:
        return translate("no free temporary name");
    case EBADF:
        return translate("the file is not open");
    case EPIPE:
        return translate("the reading end was closed");
    default:
        // TRANSLATORS: %1 is the system's own description of the fault.
        return fillIn(translate("the system reported: %1"), {std::strerror(errorNumber)});
    }
}
