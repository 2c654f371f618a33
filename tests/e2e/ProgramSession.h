#pragma once

#include "../MockSystemBus.h"
#include "../VirtualDisplay.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The built program, unchanged, started in a fresh working directory on a display of its
// own, with a private system bus, and driven with xdotool as a person would drive it.
class ProgramSession
{
public:
    // Screen positions of what the tests press (the main window sits at 0,0 on a bare display).
    static QPoint addTaskButton() { return {828, 165}; }
    static QPoint switchOfRow(int row) { return {800, 215 + 60 * row}; }
    static QPoint closeButton() { return {878, 25}; }
    static QPoint exitConfirm() { return {390, 478}; }
    static QPoint exitCancel() { return {506, 478}; }
    static QPoint logTab() { return {138, 100}; }
    static QPoint allLogsButton() { return {70, 160}; }
    // Positions inside the editor ("任务描述") and the address window ("请输入网址"): these
    // open over the middle of the window they come from (see inWindow).
    static QPoint editorActionList() { return {272, 86}; }
    static QPoint editorCountdownRadio() { return {77, 387}; }
    static QPoint editorCountdownHours() { return {232, 387}; }
    static QPoint editorCountdownMinutes() { return {405, 387}; }
    static QPoint editorConfirm() { return {248, 772}; }
    static QPoint addressInput() { return {231, 84}; }
    static QPoint addressConfirm() { return {140, 136}; }
    // The condition rows below the countdown's in the editor: "电脑开机后", then "累计开机".
    static const int EditorRowHeight = 40;

    ProgramSession()
    {
        work.setAutoRemove(true);
        QDir(work.path()).mkdir("bin");
    }

    ~ProgramSession() { stop(); }

    QString path(const QString &name) const { return work.filePath(name); }
    VirtualDisplay &display() { return screen; }

    bool startDisplay(int first = 151) { return screen.start(first); }

    // Puts a stand-in command first on the program's PATH.
    void addTool(const QString &name, const QString &script)
    {
        QFile file(path("bin/" + name));
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\n" + script.toUtf8() + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther
                            | QFile::ReadGroup | QFile::ExeGroup);
    }

    // Starts the program; busAddress empty means no system bus at all. A prefix runs it
    // through another command (as another user, say); a PATH replaces the search path.
    bool start(const QString &busAddress, const QStringList &prefix = {}, const QString &workingDirectory = QString(),
               const QString &searchPath = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", screen.displayName());
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS",
                           busAddress.isEmpty() ? "unix:path=/nonexistent/tickvale-e2e" : busAddress);
        environment.insert("XDG_SESSION_ID", "e2e");
        environment.insert("PATH", searchPath.isEmpty() ? path("bin") + ":" + environment.value("PATH") : searchPath);
        environment.insert("LC_ALL", "C.UTF-8");
        environment.remove("QT_QPA_PLATFORM");
        // As on a desktop: the program makes its own graphics settings.
        environment.remove("QT_XCB_GL_INTEGRATION");
        // An X11 desktop, whatever session the tests run in: input is watched on the display.
        environment.insert("XDG_SESSION_TYPE", "x11");
        environment.remove("WAYLAND_DISPLAY");
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(workingDirectory.isEmpty() ? work.path() : workingDirectory);
        program.setProcessChannelMode(QProcess::MergedChannels);
        QStringList arguments = prefix;
        arguments << QStringLiteral(TICKVALE_PROGRAM);
        const QString executable = arguments.takeFirst();
        startedAt.start();
        program.start(executable, arguments);
        return program.waitForStarted(5000);
    }

    // The main window's id once it is on screen; empty after the timeout.
    QString waitForWindow(const QString &name = "^TickvalePro$", int timeoutMs = 20000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            const QString id =
                xdotoolOutput({"search", "--onlyvisible", "--name", name}).trimmed().split('\n').value(0);
            if (!id.isEmpty()) {
                // Mapped is not yet ready for input: let the window settle.
                QTest::qWait(400);
                return id;
            }
            if (program.state() == QProcess::NotRunning)
                return QString();
            QTest::qWait(50);
        }
        return QString();
    }

    // A point of a shown window, named as the desktop names it, on the screen.
    QPoint inWindow(const QString &name, const QPoint &offset)
    {
        const QString id = xdotoolOutput({"search", "--onlyvisible", "--name", name}).trimmed().split('\n').value(0);
        return geometry(id).topLeft() + offset;
    }
    QPoint inEditor(const QPoint &offset) { return inWindow("^任务描述$", offset); }

    QRect geometry(const QString &windowId)
    {
        const QString text = xdotoolOutput({"getwindowgeometry", "--shell", windowId});
        auto value = [&text](const QString &key) {
            return QRegularExpression(key + "=(-?\\d+)").match(text).captured(1).toInt();
        };
        return QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
    }

    void click(const QPoint &point, int settleMs = 400)
    {
        screen.xdotool({"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
        QTest::qWait(settleMs);
    }

    // Characters outside the keyboard map are typed by remapping a spare key for each; a slower
    // pace keeps the program from reading a key after it was remapped for the next one.
    void type(const QString &text, int settleMs = 300, int delayMs = 15)
    {
        screen.xdotool({"type", "--delay", QString::number(delayMs), "--", text});
        QTest::qWait(settleMs);
    }

    void key(const QStringList &keys, int settleMs = 300)
    {
        screen.xdotool(QStringList{"key"} + keys);
        QTest::qWait(settleMs);
    }

    // Turns a row's switch on, as a person would, and makes sure it took: the knob turns
    // blue on the right.
    bool switchOn(int row)
    {
        const QPoint knob(ProgramSession::switchOfRow(row).x() + 22, ProgramSession::switchOfRow(row).y());
        for (int attempt = 0; attempt < 3; ++attempt) {
            click(switchOfRow(row), 700);
            const QImage shot = screenshot(path("switch.png"));
            if (shot.pixelColor(knob) == QColor(0x5D, 0x91, 0xEE))
                return true;
            if (shot.pixelColor(knob) != QColor(0x94, 0xF0, 0xEB))
                return false; // neither on nor off: not a switch there
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

    // A countdown task through the editor, with the current action of the list; rowsBelow
    // picks a condition further down with the same hours and minutes ("累计开机" is 2).
    void fillCountdown(const QString &hours, const QString &minutes, int rowsBelow = 0)
    {
        const QPoint down(0, rowsBelow * EditorRowHeight);
        click(inEditor(editorCountdownRadio() + down));
        click(inEditor(editorCountdownHours() + down), 150);
        key({"ctrl+a"}, 50);
        type(hours, 100);
        click(inEditor(editorCountdownMinutes() + down), 150);
        key({"ctrl+a"}, 50);
        type(minutes, 100);
    }

    QImage screenshot(const QString &file)
    {
        QProcess grab;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", screen.displayName());
        grab.setProcessEnvironment(environment);
        grab.start("import", {"-window", "root", file});
        grab.waitForFinished(15000);
        return QImage(file);
    }

    QString output()
    {
        log += QString::fromUtf8(program.readAll());
        return log;
    }

    bool waitForOutput(const QString &text, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (output().contains(text))
                return true;
            QTest::qWait(100);
        }
        return output().contains(text);
    }

    bool waitForExit(int timeoutMs) { return program.waitForFinished(timeoutMs); }
    int exitCode() const { return program.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return program.exitStatus(); }
    bool running() const { return program.state() != QProcess::NotRunning; }
    qint64 pid() const { return program.processId(); }
    qint64 millisecondsSinceStart() const { return startedAt.elapsed(); }

    void stop()
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    QString xdotoolOutput(const QStringList &arguments)
    {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", screen.displayName());
        tool.setProcessEnvironment(environment);
        tool.start("xdotool", arguments);
        tool.waitForFinished(10000);
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

private:
    QTemporaryDir work;
    VirtualDisplay screen;
    QProcess program;
    QString log;
    QElapsedTimer startedAt;
};
