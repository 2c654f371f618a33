#include "platform/QtDesktopLauncher.h"

#include <QDebug>
#include <QDesktopServices>
#include <QProcess>

void QtDesktopLauncher::startProgram(const QString &path)
{
    if (!QProcess::startDetached(path, {}))
        qWarning() << "Cannot start the program" << path;
}

void QtDesktopLauncher::openUrl(const QUrl &url)
{
    if (!QDesktopServices::openUrl(url))
        qWarning() << "No handler took the address" << url.toString();
}

void QtDesktopLauncher::openFile(const QString &path)
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        qWarning() << "No handler took the file" << path;
}
