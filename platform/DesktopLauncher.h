#pragma once

#include <QString>
#include <QUrl>

// Starts programs and hands addresses and files to the desktop's default handlers.
class DesktopLauncher
{
public:
    virtual ~DesktopLauncher() = default;
    // Starts the program on its own, with no arguments and no shell in between.
    virtual void startProgram(const QString &path) = 0;
    virtual void openUrl(const QUrl &url) = 0;
    virtual void openFile(const QString &path) = 0;
};
