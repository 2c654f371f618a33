#include "app/InstanceGuard.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

const QByteArray InstanceGuard::ShowRequest = QByteArrayLiteral("show\n");

InstanceGuard::InstanceGuard(const QString &databasePath, const QString &user, QObject *parent)
    : QObject(parent)
    , name(serverNameFor(databasePath, user))
    , lockPath(QDir::temp().filePath(name + QStringLiteral(".lock")))
    , lock(lockPath)
{
    // Only a lock whose program has gone is taken over, however old it is.
    lock.setStaleLockTime(0);
}

InstanceGuard::~InstanceGuard()
{
    if (server)
        server->close();
}

QString InstanceGuard::serverNameFor(const QString &databasePath, const QString &user)
{
    const QByteArray key = user.toUtf8() + '\n' + databasePath.toUtf8();
    return QStringLiteral("tickvale-")
        + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32));
}

QString InstanceGuard::currentUser()
{
#ifdef Q_OS_UNIX
    // The account itself, not a name the environment may carry over from another user.
    return QStringLiteral("uid:%1").arg(getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

QString InstanceGuard::serverName() const
{
    return name;
}

bool InstanceGuard::claim()
{
    if (!lock.tryLock(0)) {
        if (lock.error() != QLockFile::LockFailedError) {
            // No lock can be had here at all (temporary folder not writable): run unguarded.
            qWarning() << "The one-program-per-folder lock cannot be made:" << lockPath;
            listen();
            return true;
        }
        return false;
    }
    listen();
    return true;
}

bool InstanceGuard::handOver()
{
    // The running program may still be starting: give it a moment to listen.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < HandOverTimeoutMs) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(200)) {
            socket.write(ShowRequest);
            const bool sent = socket.waitForBytesWritten(500);
            socket.disconnectFromServer();
            if (sent)
                return true;
        }
        QThread::msleep(50);
    }
    qWarning() << "The program running in this folder does not answer on" << name;
    return false;
}

void InstanceGuard::listen()
{
    server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // This process holds the lock, so a server of that name was left by a program that ended
    // without closing it.
    QLocalServer::removeServer(name);
    if (!server->listen(name)) {
        qWarning() << "Later starts in this folder cannot reach this program:" << server->errorString();
        return;
    }
    connect(server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
            readRequest(socket);
        }
    });
}

void InstanceGuard::readRequest(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > 0 && socket->readAll().contains(ShowRequest.trimmed()))
        emit showRequested();
}
