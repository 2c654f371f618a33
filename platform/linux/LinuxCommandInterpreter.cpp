#include "platform/linux/LinuxCommandInterpreter.h"

#include "platform/PowerManager.h"

#include <QDebug>
#include <QProcess>

LinuxCommandInterpreter::LinuxCommandInterpreter(std::shared_ptr<PowerManager> powerManager)
    : power(std::move(powerManager))
{ }

void LinuxCommandInterpreter::run(const QString &commandText)
{
    if (runAsPowerRequest(commandText))
        return;
    if (doesNothing(commandText)) {
        qDebug() << "Command has no effect:" << commandText;
        return;
    }
    runInShell(commandText);
}

bool LinuxCommandInterpreter::runAsPowerRequest(const QString &commandText)
{
    if (commandText == QLatin1String("shutdown -s -f"))
        power->powerOff();
    else if (commandText == QLatin1String("shutdown -r "))
        power->reboot();
    else if (commandText == QLatin1String("shutdown -h"))
        power->hibernate();
    else if (commandText == QLatin1String("rundll32 powrprof.dll,SetSuspendState"))
        power->suspend();
    else if (commandText == QLatin1String("rundll32.exe user32.dll LockWorkStation"))
        power->lockSessions();
    else
        return false;
    return true;
}

bool LinuxCommandInterpreter::doesNothing(const QString &commandText)
{
    // An empty command, "start " without a file, and the close-program text whose name was
    // never filled in.
    const QString trimmed = commandText.trimmed();
    return trimmed.isEmpty() || trimmed == QLatin1String("start") || trimmed.contains(QLatin1String("\"%1\""));
}

void LinuxCommandInterpreter::runInShell(const QString &commandText)
{
    auto *shell = new QProcess;
    shell->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(shell, &QProcess::errorOccurred, shell, [shell, commandText](QProcess::ProcessError error) {
        qWarning() << "Command failed:" << commandText << shell->errorString();
        if (error == QProcess::FailedToStart)
            shell->deleteLater();
    });
    QObject::connect(shell, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), shell,
                     [shell, commandText](int exitCode, QProcess::ExitStatus) {
                         if (exitCode != 0)
                             qWarning() << "Command ended with" << exitCode << ":" << commandText;
                         shell->deleteLater();
                     });
    shell->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), commandText});
}
