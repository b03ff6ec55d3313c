#include "gui/app_instance.h"

#include <QApplication>
#include <QLockFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kConnectSeconds = 1;
constexpr int kPendingStarts = 8;
// Only this user may connect, as the lock beside the socket is theirs alone.
constexpr mode_t kSocketMode = S_IRUSR | S_IWUSR;
// What a later start sends; the first instance needs nothing more than the connection.
constexpr char kComeForward[] = "raise\n";

QLockFile* heldLock;
void (*onAnotherStart)();

// The user's own folder of that name: a folder (never a link) owned by the user that neither
// group nor others may write.
bool isPrivateFolder(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == getuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

// Where the lock and the socket live: the session's runtime folder, or without one (after su,
// over ssh without logind) a folder of the user's own in their cache, made when missing. Never
// a folder others share such as /tmp, where another user could plant a lock that keeps every
// start from showing a window, or a socket that takes the hand-over. Empty when there is none.
std::string privateFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && isPrivateFolder(runtime)) return runtime;
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    const std::string home = homeFolder();
    const std::string cache = cacheHome != nullptr && cacheHome[0] == '/' ? std::string(cacheHome)
                              : home.empty()                              ? std::string()
                                                                          : home + "/.cache";
    if (cache.empty()) return "";
    mkdir(cache.c_str(), S_IRWXU);
    const std::string folder = cache + "/merivane";
    mkdir(folder.c_str(), S_IRWXU);
    return isPrivateFolder(folder) ? folder : "";
}

// The key carries the user id: each user's own copy of the program runs once.
std::string instanceKey(const std::string& folder, const std::string& name) {
    return folder + "/" + name + "-" + std::to_string(getuid());
}

// A lock file there must be the user's own regular file; anything else (a link, a folder,
// another user's file) is cleared, as the folder is the user's. False when it cannot be.
bool lockPathUsable(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return errno == ENOENT;
    if (S_ISREG(status.st_mode) && status.st_uid == getuid()) return true;
    return unlink(path.c_str()) == 0 || rmdir(path.c_str()) == 0;
}

// False when the path does not fit a socket address.
bool socketAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool isOwnSocket(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) &&
           status.st_uid == getuid();
}

// A connected socket, or -1 with errno saying why. The deadline bounds both the connect and
// the write when the first instance is too busy to take the start.
int connectTo(const std::string& path) {
    sockaddr_un address;
    if (!socketAddress(path, address)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int socketFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketFd < 0) return -1;
    const timeval deadline{kConnectSeconds, 0};
    setsockopt(socketFd, SOL_SOCKET, SO_SNDTIMEO, &deadline, sizeof deadline);
    if (connect(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int reason = errno;
        close(socketFd);
        errno = reason;
        return -1;
    }
    return socketFd;
}

void askFirstInstanceForward(const std::string& key) {
    // Whatever else sits at the path (a link, a file, another user's socket) is not the first
    // instance.
    if (!isOwnSocket(key)) return;
    const int socketFd = connectTo(key);
    if (socketFd < 0) return;
    send(socketFd, kComeForward, sizeof kComeForward - 1, MSG_NOSIGNAL);
    close(socketFd);
}

// A socket left behind by a crashed run would refuse the bind; it goes only when nobody
// answers on it. Anything else at the path is left alone and nothing listens.
bool pathFreeForListening(const std::string& key) {
    struct stat status {};
    if (lstat(key.c_str(), &status) != 0) return errno == ENOENT;
    if (!S_ISSOCK(status.st_mode) || status.st_uid != getuid()) return false;
    const int answering = connectTo(key);
    if (answering >= 0) {
        close(answering);
        return false;
    }
    if (errno != ECONNREFUSED) return false;
    return unlink(key.c_str()) == 0 || errno == ENOENT;
}

void takePendingStarts(int listenFd) {
    bool anyStart = false;
    for (;;) {
        const int socketFd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (socketFd < 0) break;
        close(socketFd);
        anyStart = true;
    }
    if (anyStart && onAnotherStart) onAnotherStart();
}

void listenForLaterStarts(const std::string& key) {
    sockaddr_un address;
    if (!socketAddress(key, address)) return;
    if (!pathFreeForListening(key)) return;
    const int listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd < 0) return;
    // The socket file takes its mode from the socket at bind, so it is never open to others.
    if (fchmod(listenFd, kSocketMode) != 0 ||
        bind(listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(listenFd);
        return;
    }
    if (listen(listenFd, kPendingStarts) != 0) {
        unlink(key.c_str());
        close(listenFd);
        return;
    }
    auto* notifier = new QSocketNotifier(listenFd, QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [listenFd] { takePendingStarts(listenFd); });
    // The lock is still held here, so the socket at the key is this run's own.
    QObject::connect(notifier, &QObject::destroyed, [listenFd, key] {
        unlink(key.c_str());
        close(listenFd);
    });
}

} // namespace

InstanceClaim appClaimSingleInstance(const std::string& name, void (*anotherStart)()) {
    onAnotherStart = anotherStart;
    if (heldLock) return InstanceClaim::Claimed;
    const std::string folder = privateFolder();
    // Without a folder of the user's own the window still starts, only not once per user.
    if (folder.empty()) return InstanceClaim::Claimed;
    const std::string key = instanceKey(folder, name);
    if (!lockPathUsable(key + ".lock")) return InstanceClaim::Failed;
    QLockFile* lock = new QLockFile(QString::fromStdString(key + ".lock"));
    // 0: a lock is stale only when its process is gone, however old it is.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        const bool held = lock->error() == QLockFile::LockFailedError;
        delete lock;
        if (!held) return InstanceClaim::Failed;
        askFirstInstanceForward(key);
        return InstanceClaim::AnotherRunning;
    }
    heldLock = lock;
    listenForLaterStarts(key);
    return InstanceClaim::Claimed;
}

void appBeep() {
    QApplication::beep();
}
