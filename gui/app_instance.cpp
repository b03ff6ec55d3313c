#include "gui/app_instance.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QWindow>
#include <algorithm>
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
#include <xcb/xcb.h>

namespace {

constexpr int kConnectSeconds = 1;
constexpr int kPendingStarts = 8;
// Only this user may connect, as the lock beside the socket is theirs alone.
constexpr mode_t kSocketMode = S_IRUSR | S_IWUSR;
// What a later start sends: "raise", then a "NAME=value" line for each of the desktop's
// activation variables it was started with. The first line is all an older first instance
// looked for; it reads the rest only to let the desktop bring its window forward.
constexpr char kComeForward[] = "raise\n";
constexpr const char* kActivationVariables[] = {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"};
constexpr std::size_t kLongestActivationValue = 255;
constexpr std::size_t kLongestHandOver = 1024;
// A later start has sent its lines by the time it closes; a silent one is not waited for long.
constexpr suseconds_t kHandOverReadMicroseconds = 200000;

// A token or startup id as the desktops make them: printable ASCII without blanks, quotes or
// backslashes (the X11 startup message would need them quoted), of sane length.
bool isActivationValue(const std::string& value) {
    return !value.empty() && value.size() <= kLongestActivationValue &&
           std::all_of(value.begin(), value.end(),
                       [](char c) { return c > ' ' && c < 0x7f && c != '"' && c != '\\'; });
}

// The desktop's activation values as this process was started with them, read before main():
// the toolkit takes DESKTOP_STARTUP_ID out of the environment as it starts.
std::string startedWith(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && isActivationValue(value) ? value : "";
}
const std::string activationValues[] = {startedWith(kActivationVariables[0]),
                                        startedWith(kActivationVariables[1])};

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
    std::string message = kComeForward;
    for (std::size_t i = 0; i < std::size(kActivationVariables); ++i)
        if (!activationValues[i].empty())
            message += std::string(kActivationVariables[i]) + "=" + activationValues[i] + "\n";
    send(socketFd, message.data(), message.size(), MSG_NOSIGNAL);
    close(socketFd);
}

// What a later start handed over, read until it closes (or briefly, should it not).
std::string handOverOf(int socketFd) {
    const timeval deadline{0, kHandOverReadMicroseconds};
    setsockopt(socketFd, SOL_SOCKET, SO_RCVTIMEO, &deadline, sizeof deadline);
    std::string message;
    char buffer[256];
    while (message.size() < kLongestHandOver) {
        const ssize_t got = recv(socketFd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        message.append(buffer, static_cast<std::size_t>(got));
    }
    return message;
}

// The value of line "NAME=value" in a hand-over; "" when there is none or it is not valid.
std::string handedOver(const std::string& message, const std::string& name) {
    for (std::size_t start = 0; start < message.size();) {
        std::size_t end = message.find('\n', start);
        if (end == std::string::npos) end = message.size();
        const std::string line = message.substr(start, end - start);
        if (line.starts_with(name + "=")) {
            const std::string value = line.substr(name.size() + 1);
            return isActivationValue(value) ? value : "";
        }
        start = end + 1;
    }
    return "";
}

xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// On X11 the later start's launch feedback (the busy cursor, the task bar's entry) ends as
// the startup-notification protocol asks, and the window carries the id the window manager
// weighs when asked to bring it forward.
void takeStartupId(const std::string& id) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    QWindow* window = QGuiApplication::focusWindow();
    for (QWindow* shown : QGuiApplication::topLevelWindows())
        if (window == nullptr && shown->isVisible()) window = shown;
    if (x11 == nullptr || window == nullptr) return;
    xcb_connection_t* connection = x11->connection();
    const auto windowId = static_cast<xcb_window_t>(window->winId());
    xcb_change_property(
        connection, XCB_PROP_MODE_REPLACE, windowId, atomNamed(connection, "_NET_STARTUP_ID"),
        atomNamed(connection, "UTF8_STRING"), 8, static_cast<std::uint32_t>(id.size()), id.data());
    // Sent in pieces of 20 bytes, the closing zero included, to the root window.
    const std::string message = "remove: ID=" + id;
    const xcb_atom_t first = atomNamed(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atomNamed(connection, "_NET_STARTUP_INFO");
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    for (std::size_t at = 0; at <= message.size(); at += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = windowId;
        event.type = at == 0 ? first : more;
        std::memcpy(event.data.data8, message.c_str() + at,
                    std::min<std::size_t>(20, message.size() + 1 - at));
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection);
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
    std::string token, startupId;
    for (;;) {
        const int socketFd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (socketFd < 0) break;
        const std::string message = handOverOf(socketFd);
        close(socketFd);
        anyStart = true;
        token = handedOver(message, kActivationVariables[0]);
        startupId = handedOver(message, kActivationVariables[1]);
    }
    if (!anyStart) return;
    // Qt's Wayland platform activates the window with this token and then drops it; elsewhere it
    // would only reach the programs started later (the PDF reader).
    if (!token.empty() && QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        qputenv(kActivationVariables[0], QByteArray::fromStdString(token));
    if (!startupId.empty() && QGuiApplication::platformName() == QStringLiteral("xcb"))
        takeStartupId(startupId);
    if (onAnotherStart) onAnotherStart();
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
