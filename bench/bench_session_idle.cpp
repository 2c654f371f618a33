// CPU cost of watching a Wayland session's idle time: one reading a second over the session
// bus. Runs against whatever answers on DBUS_SESSION_BUS_ADDRESS; bench/session-idle.sh puts
// the test's GNOME idle monitor on a private bus. Usage: bench_session_idle [SECONDS]
#include "platform/linux/SessionIdleTimeSource.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    SessionIdleTimeSource source;
    if (!source.start()) {
        std::printf("no idle time on the session bus\n");
        return 1;
    }
    int inputs = 0;
    QObject::connect(&source, &InputActivitySource::activity, [&inputs] { ++inputs; });
    const double before = cpuSeconds();
    QTimer::singleShot(seconds * 1000, &application, &QCoreApplication::quit);
    application.exec();
    const double used = cpuSeconds() - before;
    std::printf("session idle time read for %d s: %.3f s of CPU (%.3f %% of one core), %d inputs seen\n", seconds, used,
                100 * used / seconds, inputs);
    return 0;
}
