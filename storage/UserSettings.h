#pragma once

#include <QList>
#include <QObject>
#include <QSettings>
#include <QString>

// The user's own choices about how the program behaves, kept in a settings file under the
// user's configuration folder (never in "database.db", whose layout stays as it is). The
// tasks whose switches were on are kept per database file: programs started in different
// working folders keep their own.
class UserSettings final : public QObject
{
    Q_OBJECT
public:
    enum Choice { WarnBeforeActions, StartAtLogin, RestoreArmedTasks };
    Q_ENUM(Choice)

    // The settings file of this user; a test points XDG_CONFIG_HOME (or the system's own
    // configuration folder) elsewhere before the first one is made.
    explicit UserSettings(QObject *parent = nullptr);
    // The settings kept in the given file (tests).
    UserSettings(const QString &fileName, QObject *parent);

    // Warning before a disruptive action: on unless turned off. The other two: off unless
    // turned on.
    bool isOn(Choice choice) const;
    void setOn(Choice choice, bool on);

    // The ids of the tasks whose switches are on, for the database at this absolute path.
    QList<int> armedTaskIds(const QString &databasePath) const;
    void setArmedTaskIds(const QString &databasePath, const QList<int> &ids);

    QString fileName() const;

signals:
    void choiceChanged(UserSettings::Choice choice, bool on);

private:
    static QString keyOf(Choice choice);
    static QString armedKeyOf(const QString &databasePath);
    void writeOut();

    QSettings settings;
};
