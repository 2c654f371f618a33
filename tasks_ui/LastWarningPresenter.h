#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class LastWarningWindow;
class TaskScheduler;
class UserSettings;

// Shows a warning window for each run the scheduler announces, keeps its countdown current,
// and passes the answer back. Whether warnings are given at all is the user's choice.
class LastWarningPresenter final : public QObject
{
    Q_OBJECT
public:
    LastWarningPresenter(TaskScheduler *scheduler, UserSettings *settings, QObject *parent);
    ~LastWarningPresenter() override;

    // The window announcing the task's run, while it shows.
    LastWarningWindow *windowOf(int id) const;

private:
    void open(int id);
    void close(int id);
    void refresh();

    TaskScheduler *scheduler;
    QHash<int, QPointer<LastWarningWindow>> windows;
    // Answered or run, about to close; still ours until they have.
    QList<QPointer<LastWarningWindow>> closing;
    QTimer ticker;
};
