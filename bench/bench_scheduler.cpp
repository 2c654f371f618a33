// CPU cost of the scheduler: 1,000 armed tasks left idle for a while, and one input event
// with 100 armed idle tasks. Usage: bench_scheduler [IDLE_SECONDS]
#include "actions/ActionExecutor.h"
#include "monitors/NetInfoThread.h"
#include "platform/NetworkCounterSource.h"
#include "platform/PlatformServices.h"
#include "schedule/SystemSchedulerClock.h"
#include "schedule/SystemTaskTimerFactory.h"
#include "schedule/TaskComposer.h"
#include "schedule/TaskScheduler.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include <sys/resource.h>

namespace {

class NoCounters : public NetworkCounterSource
{
public:
    bool isSupported() const override { return true; }
    NetworkTotals read() override { return {}; }
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A mix of every trigger kind, none of which comes due during the run.
Connection::Record taskNumber(int i)
{
    using TC = TaskComposer;
    switch (i % 5) {
    case 0: {
        TC::CalendarChoice choice;
        choice.firstRun = QDate::currentDate().addDays(30 + i % 300);
        choice.timeOfDay = 3600;
        return TC::calendarColumns(TC::OnceCommission, 5, choice);
    }
    case 1:
        return TC::conditionColumns(TC::FromNowCommission, 5, {"48", "0", "", true});
    case 2:
        return TC::conditionColumns(TC::FreeCommission, 5, {"", "600", "", false});
    case 3:
        return TC::conditionColumns(TC::FromDownloadCommission, 5, {"", "600", QString::number(i), false});
    default:
        return TC::conditionColumns(TC::FromUploadCommission, 5, {"", "600", QString::number(i), false});
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int idleSeconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    QTemporaryDir directory;
    QDir::setCurrent(directory.path());

    Connection connection(nullptr);
    connection.createTables();
    connection.deletePlan({{"id", "0"}});
    for (int i = 0; i < 1000; ++i)
        connection.insertPlan(TaskComposer::saveRecord(taskNumber(i), QString(), "-1"));

    NetInfoThread sampler(nullptr, std::make_unique<NoCounters>());
    SystemSchedulerClock clock(PlatformServices::systemClock());
    SystemTaskTimerFactory timers;
    ActionExecutor executor(&connection, ActionServices());
    TaskScheduler scheduler({&connection, &executor, &sampler, &timers, &clock}, nullptr);
    for (const Connection::Record &task : scheduler.planList())
        scheduler.handleOperaSliderSignal(task.value("id").toInt(), true);

    int waiting = 0;
    for (const Connection::Record &task : scheduler.planList())
        waiting += scheduler.isWaiting(task.value("id").toInt());
    std::printf("%d tasks armed and waiting\n", waiting);

    const double before = cpuSeconds();
    QTimer::singleShot(idleSeconds * 1000, &application, &QCoreApplication::quit);
    application.exec();
    const double used = cpuSeconds() - before;
    std::printf("1,000 armed tasks idle for %d s: %.3f s of CPU (%.4f %% of one core)\n", idleSeconds, used,
                100.0 * used / idleSeconds);

    // Input events with 100 idle tasks armed.
    for (int id = 1; id <= 1000; ++id)
        scheduler.handleOperaSliderSignal(id, false);
    for (int i = 0; i < 100; ++i)
        connection.insertPlan(TaskComposer::saveRecord(
            TaskComposer::conditionColumns(TaskComposer::FreeCommission, 5, {"", "10", "", false}), QString(), "-1"));
    scheduler.loadPlans();
    for (const Connection::Record &task : scheduler.planList()) {
        if (task.value("timer_mode") == "6")
            scheduler.handleOperaSliderSignal(task.value("id").toInt(), true);
    }
    const int events = 2000000;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < events; ++i)
        scheduler.listenMouseNKeyboard();
    const double perEvent = double(elapsed.nsecsElapsed()) / events;
    std::printf("one input event with 100 armed idle tasks: %.0f ns (%.4f %% of one core at 1,000 events/s)\n",
                perEvent, perEvent * 1000 / 1e9 * 100);
    return 0;
}
