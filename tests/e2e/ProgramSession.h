#pragma once

#include "../MockSystemBus.h"
#include "../VirtualDisplay.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QTest>

// The built program, unchanged, started in a fresh working directory on a display of its
// own, with a private system bus, and driven with xdotool as a person would drive it.
class ProgramSession
{
public:
    // Screen positions of what the tests press (the main window sits at 0,0 on a bare display).
    // Inside the editor ("任务描述"), which opens over the middle of the main window.
    static QPoint editorConfirm() { return {248, 772}; }

    // The private system bus with these dbusmock templates (and their bus names); the suite is
    // skipped without the tools.
    static void startBus(MockSystemBus &bus, const QList<QPair<QString, QString>> &mocks)
    {
        if (!VirtualDisplay::toolsPresent() || !MockSystemBus::toolsPresent())
            QSKIP("Xvfb, xdotool, dbus-daemon and python3-dbusmock are needed (scripts/test.sh installs them)");
        QVERIFY(bus.start());
        for (const auto &[name, service] : mocks)
            QVERIFY(bus.startMock(name, service));
    }

    ProgramSession() { QDir(work.path()).mkdir("bin"); }
    ~ProgramSession() { program.kill(), program.waitForFinished(5000); }

    QString path(const QString &name) const { return work.filePath(name); }
    QProcess &process() { return program; }
    QElapsedTimer started; // at the last start
    bool startDisplay(int first = 151) { return screen.start(first); }

    // The test's own environment, pointed at this session's display.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", screen.displayName());
        return environment;
    }

    // Runs a tool against the display (xdotool, xprop, import) and returns what it printed.
    QString run(const QString &tool, const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(tool, arguments);
        process.waitForFinished(15000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // Puts a stand-in command first on the program's PATH.
    void addTool(const QString &name, const QString &script)
    {
        QFile file(path("bin/" + name));
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\n" + script.toUtf8() + "\n");
        file.setPermissions(QFile::Permissions(0x7755)); // rwxr-xr-x
    }

    // Starts the program; busAddress empty means no system bus at all. A prefix runs it
    // through another command (as another user, say); a PATH replaces the search path.
    bool start(const QString &busAddress, const QStringList &prefix = {}, const QString &workingDirectory = QString(),
               const QString &searchPath = QString())
    {
        QProcessEnvironment environment = this->environment();
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS",
                           busAddress.isEmpty() ? "unix:path=/nonexistent/tickvale-e2e" : busAddress);
        environment.insert("XDG_SESSION_ID", "e2e");
        environment.insert("PATH", searchPath.isEmpty() ? path("bin") + ":" + environment.value("PATH") : searchPath);
        environment.insert("LC_ALL", "C.UTF-8");
        // As on an X11 desktop, whatever session the tests run in: input is watched on the display,
        // and the program makes its own graphics settings.
        environment.insert("XDG_SESSION_TYPE", "x11");
        for (const char *unset : {"QT_QPA_PLATFORM", "QT_XCB_GL_INTEGRATION", "WAYLAND_DISPLAY"})
            environment.remove(unset);
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(workingDirectory.isEmpty() ? work.path() : workingDirectory);
        program.setProcessChannelMode(QProcess::MergedChannels);
        QStringList arguments = prefix + QStringList{QStringLiteral(TICKVALE_PROGRAM)};
        started.start();
        program.start(arguments.takeFirst(), arguments);
        return program.waitForStarted(5000);
    }

    // The id of a shown window, named as the desktop names it; empty after the timeout.
    QString waitForWindow(const QString &name = "^TickvalePro$", int timeoutMs = 20000)
    {
        for (QDeadlineTimer deadline(timeoutMs); program.state() != QProcess::NotRunning && !deadline.hasExpired();
             QTest::qWait(50))
            if (const QString id = shown(name); !id.isEmpty())
                return QTest::qWait(400), id; // mapped is not yet ready for input: let it settle
        return QString();
    }
    QString shown(const QString &name)
    {
        return run("xdotool", {"search", "--onlyvisible", "--name", name}).split('\n').value(0);
    }
    // A point of a shown window, on the screen.
    QPoint inWindow(const QString &name, const QPoint &offset) { return geometry(shown(name)).topLeft() + offset; }
    QPoint inEditor(const QPoint &offset) { return inWindow("^任务描述$", offset); }
    // Opens the editor with the main window's add button.
    bool openEditor() { return click({828, 165}, 800), !waitForWindow("^任务描述$", 5000).isEmpty(); }

    QRect geometry(const QString &windowId)
    {
        // WINDOW=, X=, Y=, WIDTH=, HEIGHT=, a line each.
        const QString text = run("xdotool", {"getwindowgeometry", "--shell", windowId});
        auto value = [&text](int line) { return text.section('\n', line, line).section('=', 1).toInt(); };
        return QRect(value(1), value(2), value(3), value(4));
    }

    void send(const QStringList &arguments, int settleMs) { screen.xdotool(arguments), QTest::qWait(settleMs); }
    void click(const QPoint &at, int settleMs = 400)
    {
        send({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}, settleMs);
    }
    // Characters outside the keyboard map are typed by remapping a spare key for each; a slower
    // pace keeps the program from reading a key after it was remapped for the next one.
    void type(const QString &text, int settleMs = 300, int delayMs = 15)
    {
        send({"type", "--delay", QString::number(delayMs), "--", text}, settleMs);
    }
    void key(const QStringList &keys, int settleMs = 300) { send(QStringList{"key"} + keys, settleMs); }

    // Turns a row's switch on, as a person would, and makes sure it took: the knob turns
    // blue on the right.
    bool switchOn(int row)
    {
        const QPoint at(800, 215 + 60 * row);
        for (int attempt = 0; attempt < 3; ++attempt) {
            click(at, 700);
            run("import", {"-window", "root", path("switch.png")});
            const QColor colour = QImage(path("switch.png")).pixelColor(at + QPoint(22, 0));
            if (colour != QColor(0x94, 0xF0, 0xEB)) // off; anything else is on, or no switch
                return colour == QColor(0x5D, 0x91, 0xEE);
        }
        return false;
    }

    // Clicks a button of the start question: "是" or "否".
    bool answerStartQuestion(bool yes)
    {
        const QString box = waitForWindow("^定时管理$", 10000);
        if (box.isEmpty())
            return false;
        const QRect area = geometry(box);
        click(QPoint(area.right() - (yes ? 136 : 50), area.bottom() - 24), 600);
        return true;
    }

    // A countdown task through the editor ("任务描述"), with the current action of the list;
    // rowsBelow picks a condition further down with the same hours and minutes ("累计开机" is 2).
    void fillCountdown(const QString &hours, const QString &minutes, int rowsBelow = 0)
    {
        const QPoint down(0, rowsBelow * 40);
        click(inEditor(QPoint(77, 387) + down));
        for (const auto &field : {qMakePair(232, hours), qMakePair(405, minutes)}) {
            click(inEditor(QPoint(field.first, 387) + down), 150);
            key({"ctrl+a"}, 50);
            type(field.second, 100);
        }
    }

    QString output() { return log += QString::fromUtf8(program.readAll()); }

    // Leaves through the title bar's close button and its confirmation: true when the
    // program ended at once, with code 0 and no thread left running.
    bool quitsCleanly(int timeoutMs = 10000)
    {
        click({878, 25}, 800);
        click({390, 478}, 300);             // "确定"
        program.waitForFinished(timeoutMs); // false also when it had already ended
        return program.state() == QProcess::NotRunning && program.exitStatus() == QProcess::NormalExit
            && program.exitCode() == 0 && !output().contains("QThread: Destroyed");
    }

private:
    QTemporaryDir work;
    VirtualDisplay screen;
    QProcess program;
    QString log;
};
