#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

// A private Xvfb display for tests that need a real X server, and xdotool to drive it.
class VirtualDisplay
{
public:
    ~VirtualDisplay()
    {
        server.terminate();
        server.waitForFinished(3000);
    }

    static bool toolsPresent()
    {
        return !QStandardPaths::findExecutable("Xvfb").isEmpty()
            && !QStandardPaths::findExecutable("xdotool").isEmpty();
    }

    // Starts the server on the first free display number from `first`; false if none came up.
    bool start(int first = 91)
    {
        for (int number = first; number < first + 40; ++number) {
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) || QFile::exists(socket))
                continue;
            name = QStringLiteral(":%1").arg(number);
            // -noreset: the server would otherwise restart, refusing connections meanwhile,
            // each time its last client leaves.
            server.start("Xvfb", {name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"});
            if (!server.waitForStarted(5000))
                return false;
            for (int i = 0; i < 100 && server.state() != QProcess::NotRunning; ++i, QThread::msleep(50)) {
                if (QFile::exists(socket))
                    return true;
            }
            // That number is taken (perhaps by a server this folder cannot see): try the next.
            server.kill();
            server.waitForFinished(3000);
        }
        return false;
    }

    QString displayName() const { return name; }

    // Runs xdotool with the given arguments against this display.
    bool xdotool(const QStringList &arguments) const
    {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", name);
        tool.setProcessEnvironment(environment);
        tool.start("xdotool", arguments);
        return tool.waitForFinished(10000) && tool.exitCode() == 0;
    }

private:
    QProcess server;
    QString name;
};
