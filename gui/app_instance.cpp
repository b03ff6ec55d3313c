#include "gui/app_instance.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
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

// The key carries the user id: each user's own copy of the program runs once.
std::string instanceKey(const std::string& name) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return (folder + "/").toStdString() + name + "-" + std::to_string(getuid());
}

// False when the path does not fit a socket address.
bool socketAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool isSocket(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
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
    // Whatever else sits at the path (a link, a file) is not the first instance.
    if (!isSocket(key)) return;
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
    if (!S_ISSOCK(status.st_mode)) return false;
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
    const std::string key = instanceKey(name);
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
