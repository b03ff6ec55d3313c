#include "gui/app_instance.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <unistd.h>

namespace {

constexpr int kConnectMilliseconds = 1000;
// What a later start sends; the first instance needs nothing more than the connection.
constexpr char kComeForward[] = "raise\n";

QLockFile* heldLock;
QLocalServer* server;
void (*onAnotherStart)();

// The key carries the user id: each user's own copy of the program runs once.
QString instanceKey(const std::string& name) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder + "/" + QString::fromStdString(name) + "-" + QString::number(getuid());
}

void askFirstInstanceForward(const QString& key) {
    QLocalSocket socket;
    socket.connectToServer(key);
    if (!socket.waitForConnected(kConnectMilliseconds)) return;
    socket.write(kComeForward);
    socket.waitForBytesWritten(kConnectMilliseconds);
    socket.disconnectFromServer();
}

void listenForLaterStarts(const QString& key) {
    server = new QLocalServer(qApp);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left behind by a crashed run would refuse the listen.
    QLocalServer::removeServer(key);
    if (!server->listen(key)) return;
    QObject::connect(server, &QLocalServer::newConnection, server, [] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromServer();
        }
        if (onAnotherStart) onAnotherStart();
    });
}

} // namespace

InstanceClaim appClaimSingleInstance(const std::string& name, void (*anotherStart)()) {
    onAnotherStart = anotherStart;
    if (heldLock) return InstanceClaim::Claimed;
    const QString key = instanceKey(name);
    QLockFile* lock = new QLockFile(key + ".lock");
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
