// The whole program in one process on a real (virtual) X display: CPU over idle seconds with
// 100 armed tasks, and the cost of continuous mouse movement with 100 armed idle tasks.
// Usage (on an X display): bench_program [IDLE_SECONDS]
//        bench_program --arm-and-wait COUNT   (COUNT idle tasks armed, "armed" printed, then the
//                                              program runs until it is ended; the CPU is measured
//                                              from outside, as bench/windows-input-cpu.sh does)
#include "app/StartUp.h"
#include "app/Tickvale.h"
#include "schedule/TaskComposer.h"
#include "schedule/TaskScheduler.h"
#include "tasks_ui/ComputerManageWidget.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace {

#ifdef Q_OS_WIN
double cpuSeconds()
{
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME &time) {
        return double((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}
#else
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
#endif

void runFor(int seconds)
{
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    StartUp::prepareEnvironment();
    QApplication application(argc, argv);
    const bool armAndWait = argc > 2 && QByteArray(argv[1]) == "--arm-and-wait";
    const int taskCount = armAndWait ? QString::fromLocal8Bit(argv[2]).toInt() : 100;
    const int idleSeconds = !armAndWait && argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tickvale-bench-bus");
    QTemporaryDir directory;
    QDir::setCurrent(directory.path());
    {
        Connection connection(nullptr);
        connection.createTables();
        for (int i = 0; i < taskCount; ++i) {
            connection.insertPlan(
                TaskComposer::saveRecord(TaskComposer::conditionColumns(TaskComposer::FreeCommission, 5,
                                                                        {"", QString::number(60 + i), "", false}),
                                         QString(), "-1"));
        }
    }
    StartUp::applyLocaleCodec();
    StartUp::applyStyleSheet(application);
    Tickvale window;
    StartUp::showMainWindow(window);
    TaskScheduler *scheduler = window.computerManageWidget()->scheduler();
    int armed = 0;
    for (const Connection::Record &task : scheduler->planList()) {
        const int id = task.value("id").toInt();
        if (id == 0)
            continue;
        scheduler->handleOperaSliderSignal(id, true);
        armed += scheduler->isWaiting(id);
    }
    std::printf("%d idle tasks armed\n", armed);
    if (armAndWait) {
        std::fflush(stdout);
        return QCoreApplication::exec();
    }
    runFor(3);

    double before = cpuSeconds();
    runFor(idleSeconds);
    double used = cpuSeconds() - before;
    std::printf("idle for %d s with %d armed tasks: %.2f s of CPU (%.3f %% of one core)\n", idleSeconds, armed, used,
                100 * used / idleSeconds);

    // A person moving the mouse without pause: a relative move every 2 ms for 10 s.
    QProcess mover;
    // The pointer moves outside the program's window: what is measured is the desktop-wide watch.
    mover.start("sh",
                {"-c",
                 "xdotool mousemove 1150 950; end=$(($(date +%s)+10)); while [ $(date +%s) -lt $end ]; do "
                 "xdotool mousemove_relative -- 1 0 mousemove_relative -- -1 0 sleep 0.002; done"});
    before = cpuSeconds();
    runFor(10);
    used = cpuSeconds() - before;
    mover.waitForFinished(5000);
    std::printf("continuous mouse movement for 10 s with %d armed idle tasks: %.3f s of CPU (%.2f %% of one core)\n",
                armed, used, 10.0 * used);
    return 0;
}
