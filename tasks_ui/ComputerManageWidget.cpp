#include "tasks_ui/ComputerManageWidget.h"

#include "actions/ActionExecutor.h"
#include "monitors/NetInfoThread.h"
#include "platform/PlatformServices.h"
#include "platform/SleepWatcher.h"
#include "schedule/EverySecondThread.h"
#include "schedule/SystemSchedulerClock.h"
#include "schedule/SystemTaskTimerFactory.h"
#include "schedule/TaskScheduler.h"
#include "storage/Connection.h"

ComputerManageWidget::ComputerManageWidget(QWidget *parent)
    : QWidget(parent)
{
    setUpScheduling();
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(245, 248, 255));
    setPalette(background);
    setAutoFillBackground(true);
}

ComputerManageWidget::~ComputerManageWidget()
{
    sampler->stopSampling();
    // The scheduler uses the clock, timer factory and executor: it goes before they do.
    delete taskScheduler;
}

void ComputerManageWidget::setUpScheduling()
{
    TAVMouseNKeyboardHook::installHook(&hook);
    connect(&hook, &TAVMouseNKeyboardHook::hasAction, this, &ComputerManageWidget::listenMouseNKeyboard);

    clock = std::make_unique<SystemSchedulerClock>(PlatformServices::systemClock());
    timers = std::make_unique<SystemTaskTimerFactory>();
    connection = new Connection(this);
    executor = std::make_unique<ActionExecutor>(connection, ActionServices::system());
    sampler = new NetInfoThread(this);
    taskScheduler = new TaskScheduler({connection, executor.get(), sampler, timers.get(), clock.get()}, this);

    connect(sampler, &NetInfoThread::overSpeed, this, &ComputerManageWidget::overspeedMethod);
    connect(sampler, &NetInfoThread::overSpeedOfUpload, this, &ComputerManageWidget::overspeedOfUploadMethod);
    connect(sampler, &NetInfoThread::netspeedResult, this, &ComputerManageWidget::netspeedResult);
    sampler->start(QThread::InheritPriority);

    ticker = new EverySecondThread(this);
    connect(ticker, &EverySecondThread::alreadyOnSecond, this, &ComputerManageWidget::changeSecondToHour);
    ticker->start(QThread::InheritPriority);

    sleepWatcher = PlatformServices::sleepWatcher();
    connect(sleepWatcher.get(), &SleepWatcher::resumed, taskScheduler, &TaskScheduler::recheckCalendarTasks);
}

NetInfoThread *ComputerManageWidget::netInfoThread() const
{
    return sampler;
}

TAVMouseNKeyboardHook *ComputerManageWidget::inputHook()
{
    return &hook;
}

TaskScheduler *ComputerManageWidget::scheduler() const
{
    return taskScheduler;
}

void ComputerManageWidget::handleOperaSliderSignal(int index, bool flag)
{
    taskScheduler->handleOperaSliderSignal(index, flag);
}

void ComputerManageWidget::changeSecondToHour()
{
    taskScheduler->changeSecondToHour();
}

void ComputerManageWidget::listenMouseNKeyboard()
{
    taskScheduler->listenMouseNKeyboard();
}

void ComputerManageWidget::overspeedMethod(int speed)
{
    taskScheduler->overspeedMethod(speed);
}

void ComputerManageWidget::overspeedOfUploadMethod(int speed)
{
    taskScheduler->overspeedOfUploadMethod(speed);
}

void ComputerManageWidget::netspeedResult(int downloadSpeed, int uploadSpeed)
{
    Q_UNUSED(downloadSpeed)
    Q_UNUSED(uploadSpeed)
}
