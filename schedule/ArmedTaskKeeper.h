#pragma once

#include "storage/UserSettings.h"

#include <QList>
#include <QObject>
#include <QString>

class TaskScheduler;

// While the user wants the tasks that were on to be on again at the next start, keeps the ids
// of the tasks the scheduler holds armed in the user's settings, for this database file. Every
// change is written at once, so that a program that is killed keeps what it had.
class ArmedTaskKeeper final : public QObject
{
    Q_OBJECT
public:
    ArmedTaskKeeper(TaskScheduler *scheduler, UserSettings *settings, const QString &databasePath, QObject *parent);

    // The kept tasks that are still in the task list, in the list's order; none while the
    // choice is off.
    QList<int> tasksToRestore() const;

public slots:
    // Writes down the tasks armed now (nothing while the choice is off).
    void remember();

private:
    QList<int> armedNow() const;
    void choiceChanged(UserSettings::Choice choice, bool on);

    TaskScheduler *scheduler;
    UserSettings *settings;
    QString databasePath;
};
