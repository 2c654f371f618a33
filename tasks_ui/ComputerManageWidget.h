#pragma once

#include "monitors/TAVMouseNKeyboardHook.h"

#include <QWidget>

#include <memory>

class ActionExecutor;
class Connection;
class EverySecondThread;
class NetInfoThread;
class SchedulerClock;
class SleepWatcher;
class TaskScheduler;
class TaskTimerFactory;

// The timed-task tab. Building it starts the desktop-wide input watch, the network sampler,
// the one-second tick and the scheduler that arms the tasks.
class ComputerManageWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ComputerManageWidget(QWidget *parent);
    ~ComputerManageWidget() override;

    NetInfoThread *netInfoThread() const;
    TAVMouseNKeyboardHook *inputHook();
    TaskScheduler *scheduler() const;

public slots:
    void handleOperaSliderSignal(int index, bool flag);
    void changeSecondToHour();
    void listenMouseNKeyboard();
    void overspeedMethod(int speed);
    void overspeedOfUploadMethod(int speed);
    void netspeedResult(int downloadSpeed, int uploadSpeed);

private:
    void setUpScheduling();

    TAVMouseNKeyboardHook hook;
    Connection *connection = nullptr;
    NetInfoThread *sampler = nullptr;
    EverySecondThread *ticker = nullptr;
    std::unique_ptr<SchedulerClock> clock;
    std::unique_ptr<TaskTimerFactory> timers;
    std::unique_ptr<ActionExecutor> executor;
    std::unique_ptr<SleepWatcher> sleepWatcher;
    TaskScheduler *taskScheduler = nullptr;
};
