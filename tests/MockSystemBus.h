#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <vector>

// A private D-Bus bus standing in for the system bus, with python-dbusmock's logind and
// NetworkManager on it, or for the desktop's session bus with the test's own templates.
// Nothing sent to it reaches the machine's real services; what they were asked is read back
// from the mocks' call logs.
class MockSystemBus
{
public:
    ~MockSystemBus()
    {
        stopMocks();
        daemon.terminate();
        daemon.waitForFinished(3000);
    }

    static QString python() { return QStringLiteral("/usr/bin/python3"); }

    static bool toolsPresent()
    {
        return !QStandardPaths::findExecutable("dbus-daemon").isEmpty() && QFile::exists(python())
            && QProcess::execute(python(), {"-c", "import dbusmock"}) == 0;
    }

    bool start()
    {
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!daemon.waitForStarted(5000) || !daemon.waitForReadyRead(5000))
            return false;
        busAddress = QString::fromUtf8(daemon.readLine()).trimmed();
        return !busAddress.isEmpty();
    }

    QString address() const { return busAddress; }

    // Starts one dbusmock template (a name or a file's path) as a system or session service,
    // with the template's parameters as JSON; its calls are logged to logOf(templateName).
    bool startMock(const QString &templateName, const QString &busName, bool sessionService = false,
                   const QString &parameters = QString())
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", busAddress);
        environment.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QStringList options = parameters.isEmpty() ? QStringList() : QStringList{"--parameters", parameters};
        process->start(python(),
                       QStringList{"-m", "dbusmock", sessionService ? "--session" : "--system", "--template",
                                   templateName, "-l", logOf(templateName)}
                           + options);
        if (!process->waitForStarted(5000))
            return false;
        mocks.push_back(std::move(process));
        for (int i = 0; i < 200; ++i) {
            if (runPython(QStringLiteral("import dbus,sys; b=dbus.bus.BusConnection('%1'); "
                                         "sys.exit(0 if b.name_has_owner('%2') else 1)")
                              .arg(busAddress, busName)))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    // Ends every mock started so far: their services leave the bus.
    void stopMocks()
    {
        for (auto &process : mocks) {
            process->terminate();
            process->waitForFinished(3000);
        }
        mocks.clear();
    }

    QString logOf(const QString &templateName) const
    {
        return logs.filePath(QFileInfo(templateName).baseName() + ".log");
    }

    // The calls a mock received, each as "Method arguments", without the time stamps.
    QStringList calls(const QString &templateName) const
    {
        QFile file(logOf(templateName));
        QStringList lines;
        for (const QByteArray &line :
             file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>()) {
            const int blank = line.indexOf(' ');
            if (blank > 0)
                lines << QString::fromUtf8(line.mid(blank + 1)).trimmed();
        }
        return lines;
    }

    void clearLog(const QString &templateName) const
    {
        QFile(logOf(templateName)).open(QIODevice::WriteOnly | QIODevice::Truncate);
    }

    // Runs a line of Python with the dbus module against this bus; true when it succeeded.
    bool runPython(const QString &code) const { return QProcess::execute(python(), {"-c", code}) == 0; }

private:
    QProcess daemon;
    QString busAddress;
    QTemporaryDir logs;
    std::vector<std::unique_ptr<QProcess>> mocks;
};
