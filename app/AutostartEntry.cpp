#include "app/AutostartEntry.h"

#include <QDebug>
#include <QDir>
#include <QSaveFile>

#include <algorithm>

const QString AutostartEntry::MinimizedFlag = QStringLiteral("--minimized");

namespace {
// Characters after which the desktop would no longer read an argument as one plain word.
const QString ReservedInExec = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
}

QString AutostartEntry::autostartFolder()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid and is ignored, as the desktop ignores it.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart");
}

QString AutostartEntry::entryPath()
{
    return autostartFolder() + QStringLiteral("/tickvale.desktop");
}

QString AutostartEntry::execArgument(const QString &argument)
{
    QString word = argument;
    const bool quoted = argument.isEmpty()
        || std::any_of(argument.begin(), argument.end(), [](QChar c) { return ReservedInExec.contains(c); });
    if (quoted) {
        word.clear();
        for (QChar c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                word += '\\';
            word += c;
        }
        word = '"' + word + '"';
    }
    // A lone "%" would be read as a field code.
    word.replace('%', QStringLiteral("%%"));
    return word;
}

QString AutostartEntry::escapedValue(const QString &value)
{
    QString text;
    for (QChar c : value) {
        if (c == '\\')
            text += QStringLiteral("\\\\");
        else if (c == '\n')
            text += QStringLiteral("\\n");
        else if (c == '\t')
            text += QStringLiteral("\\t");
        else if (c == '\r')
            text += QStringLiteral("\\r");
        else
            text += c;
    }
    // Leading blanks would be taken for the space around "=".
    if (text.startsWith(' '))
        text.replace(0, 1, QStringLiteral("\\s"));
    return text;
}

QString AutostartEntry::entryText(const QString &program, const QStringList &arguments, const QString &workingFolder)
{
    QStringList words{execArgument(program)};
    for (const QString &argument : arguments)
        words << execArgument(argument);
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Tickvale Pro\n"
                                  "GenericName=定时任务\n"
                                  "Comment=到点关机、重启、锁屏,或运行程序\n"
                                  "Icon=tickvale-pro\n");
    text += QStringLiteral("Exec=") + escapedValue(words.join(' ')) + '\n';
    text += QStringLiteral("Path=") + escapedValue(workingFolder) + '\n';
    text += QStringLiteral("Terminal=false\n"
                           "X-GNOME-Autostart-enabled=true\n");
    return text;
}

bool AutostartEntry::install(const QString &program, const QString &workingFolder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(program)
    Q_UNUSED(workingFolder)
    qInfo() << "Starting at log-in is not offered on Windows: the choice is kept and does nothing";
    return false;
#else
    if (!QDir().mkpath(autostartFolder())) {
        qWarning() << "Cannot make the log-in start folder" << autostartFolder();
        return false;
    }
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText(program, {MinimizedFlag}, workingFolder).toUtf8()) < 0
        || !file.commit()) {
        qWarning() << "Cannot write the log-in start entry" << entryPath() << ":" << file.errorString();
        return false;
    }
    return true;
#endif
}

bool AutostartEntry::remove()
{
    QFile file(entryPath());
    if (!file.exists() || file.remove())
        return true;
    qWarning() << "Cannot remove the log-in start entry" << entryPath() << ":" << file.errorString();
    return false;
}
