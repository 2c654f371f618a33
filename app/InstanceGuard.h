#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalSocket;

// One running program per working folder: the first start in a folder holds a lock and a local
// server; a later start in the same folder asks that program to come to the front and leaves.
// Starts in other folders, or by other users, do not see each other.
class InstanceGuard final : public QObject
{
    Q_OBJECT
public:
    // What a later start sends to the running program.
    static const QByteArray ShowRequest;
    // How long a later start waits for the running program to answer.
    static constexpr int HandOverTimeoutMs = 1500;

    // The guard of the database file at this absolute path, for the user `user`.
    InstanceGuard(const QString &databasePath, const QString &user, QObject *parent = nullptr);
    ~InstanceGuard() override;

    // The local server's name for a database file and a user.
    static QString serverNameFor(const QString &databasePath, const QString &user);
    // The name of the user this process runs as.
    static QString currentUser();

    // True when this process is the one to run in this folder (it now listens for later
    // starts); false when another program runs here.
    bool claim();
    // After a refused claim: whether the running program was told to come to the front.
    bool handOver();

    QString serverName() const;

signals:
    // A later start in the same folder asked for the window.
    void showRequested();

private:
    void listen();
    void readRequest(QLocalSocket *socket);

    QString name;
    QString lockPath;
    QLockFile lock;
    std::unique_ptr<QLocalServer> server;
};
