#pragma once

#include <QString>
#include <QStringList>

// The desktop's log-in start entry of the program ($XDG_CONFIG_HOME/autostart/tickvale.desktop):
// it starts the program minimised, in the working folder of the database it uses. Windows has
// no such entry; there the choice is kept but does nothing (and says so in the log).
class AutostartEntry final
{
public:
    // The flag the program honours by starting with its window minimised.
    static const QString MinimizedFlag;

    // The folder the desktop reads its log-in entries from.
    static QString autostartFolder();
    static QString entryPath();

    // The text of the entry that runs `program` with `arguments` in `workingFolder`.
    static QString entryText(const QString &program, const QStringList &arguments, const QString &workingFolder);
    // One argument of an Exec line, quoted where the desktop would split or expand it.
    static QString execArgument(const QString &argument);
    // A value as a desktop entry's string keys hold it: backslashes and control characters escaped.
    static QString escapedValue(const QString &value);

    // Writes the entry for this program in `workingFolder`; false (and logged) when it cannot.
    static bool install(const QString &program, const QString &workingFolder);
    // Removes the entry; true when none is left.
    static bool remove();
};
