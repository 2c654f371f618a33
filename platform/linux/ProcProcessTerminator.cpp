#include "platform/linux/ProcProcessTerminator.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <signal.h>
#include <unistd.h>

QString ProcProcessTerminator::executableNameOf(qint64 pid)
{
    QString target = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    // A program replaced on disk while it runs.
    if (target.endsWith(QLatin1String(" (deleted)")))
        target.chop(10);
    return QFileInfo(target).fileName();
}

QList<qint64> ProcProcessTerminator::processesNamed(const QString &executableName)
{
    QList<qint64> found;
    const qint64 self = QCoreApplication::applicationPid();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        if (QFileInfo(QStringLiteral("/proc/") + entry).ownerId() != uint(getuid()))
            continue;
        if (executableNameOf(pid) == executableName)
            found << pid;
    }
    return found;
}

void ProcProcessTerminator::terminateAll(const QString &executableName)
{
    if (executableName.isEmpty()) {
        qWarning() << "No program name to close";
        return;
    }
    const QList<qint64> running = processesNamed(executableName);
    if (running.isEmpty())
        qInfo() << "No running program named" << executableName;
    for (qint64 pid : running)
        kill(pid_t(pid), SIGTERM);
    if (running.isEmpty())
        return;
    // Whatever ignored the request is ended for good; a process id that now belongs to
    // another program is left alone.
    QTimer::singleShot(GraceMilliseconds, [running, executableName] {
        for (qint64 pid : running) {
            if (executableNameOf(pid) == executableName)
                kill(pid_t(pid), SIGKILL);
        }
    });
}
