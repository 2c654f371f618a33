#include "schedule/ArmedTaskKeeper.h"

#include "schedule/TaskScheduler.h"
#include "storage/RecordKeys.h"

ArmedTaskKeeper::ArmedTaskKeeper(TaskScheduler *taskScheduler, UserSettings *userSettings, const QString &path,
                                 QObject *parent)
    : QObject(parent)
    , scheduler(taskScheduler)
    , settings(userSettings)
    , databasePath(path)
{
    // A task that has run for the last time, or could not be armed, is off.
    connect(scheduler, &TaskScheduler::taskEnded, this, &ArmedTaskKeeper::remember);
    connect(scheduler, &TaskScheduler::armingRefused, this, &ArmedTaskKeeper::remember);
    connect(settings, &UserSettings::choiceChanged, this, &ArmedTaskKeeper::choiceChanged);
}

QList<int> ArmedTaskKeeper::tasksToRestore() const
{
    if (!settings->isOn(UserSettings::RestoreArmedTasks))
        return {};
    const QList<int> kept = settings->armedTaskIds(databasePath);
    QList<int> ids;
    // A removed task is no longer in the list, so it never comes back.
    for (const Connection::Record &plan : scheduler->planList()) {
        const int id = plan.value(Column::Id).toInt();
        if (kept.contains(id) && !ids.contains(id))
            ids << id;
    }
    return ids;
}

void ArmedTaskKeeper::remember()
{
    if (!settings->isOn(UserSettings::RestoreArmedTasks))
        return;
    const QList<int> ids = armedNow();
    if (ids != settings->armedTaskIds(databasePath))
        settings->setArmedTaskIds(databasePath, ids);
}

QList<int> ArmedTaskKeeper::armedNow() const
{
    QList<int> ids;
    for (const Connection::Record &plan : scheduler->planList()) {
        const int id = plan.value(Column::Id).toInt();
        if (scheduler->isArmed(id))
            ids << id;
    }
    return ids;
}

void ArmedTaskKeeper::choiceChanged(UserSettings::Choice choice, bool on)
{
    if (choice != UserSettings::RestoreArmedTasks)
        return;
    // Turned off, nothing is kept: a later start arms nothing even if the choice comes back.
    settings->setArmedTaskIds(databasePath, on ? armedNow() : QList<int>());
}
