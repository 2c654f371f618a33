// The Windows power history at scale: a first gathering of a System event log of 20,000 events
// (half power-ons, half power-offs, an hour apart) printed by the tests' stand-in wevtutil, then
// a second gathering that finds nothing new. Prints the time of each and the peak memory.
// Usage, under Wine: bench/windows-history.sh [EVENTS]
#include "monitors/Command.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <windows.h>

#include <psapi.h>

namespace {

bool writeLog(int count)
{
    QFile file(QStringLiteral("wevtutil-events.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QDateTime first(QDate(2000, 1, 1), QTime(0, 0, 0, 123), Qt::UTC);
    for (int i = 0; i < count; ++i) {
        const QDateTime moment = first.addSecs(qint64(i) * 3600);
        file.write(QStringLiteral("%1 %2 %3\n")
                       .arg(i % 2 == 0 ? 6005 : 6006)
                       .arg(moment.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QStringLiteral("4567Z"),
                            PowerEventSource::dateText(moment))
                       .toUtf8());
    }
    return true;
}

int storedRows()
{
    QSqlQuery query(QSqlDatabase::database());
    query.exec(QStringLiteral("select count(*) from system_log"));
    return query.next() ? query.value(0).toInt() : -1;
}

double peakMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return double(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

double gatheringMilliseconds()
{
    QElapsedTimer clock;
    clock.start();
    Command(nullptr).collectPowerEvents();
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    const QString standIn = QCoreApplication::applicationDirPath() + QStringLiteral("/standins/wevtutil.exe");
    if (!QFile::copy(standIn, QStringLiteral("wevtutil.exe")) || !writeLog(count)) {
        std::fprintf(stderr, "cannot prepare %s\n", qPrintable(folder.path()));
        return 1;
    }
    Connection(nullptr).createTables();
    const double peakBefore = peakMegabytes();
    const double first = gatheringMilliseconds();
    const int rowsAfterFirst = storedRows();
    const double peakAfter = peakMegabytes();
    const double second = gatheringMilliseconds();
    const int rowsAfterSecond = storedRows();
    std::printf("first gathering of %d events: %.0f ms, %d rows stored\n", count, first, rowsAfterFirst);
    std::printf("second gathering, nothing new: %.0f ms, %d rows stored\n", second, rowsAfterSecond);
    std::printf("peak working set: %.1f MiB before the gathering, %.1f MiB after it\n", peakBefore, peakAfter);
    QSqlDatabase::database().close();
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    return rowsAfterFirst == count && rowsAfterSecond == count ? 0 : 1;
}
