// The power history at scale: a first gathering of 20,000 events into an empty table, a start
// with 20,000 rows stored and nothing new, and filling the log table with 10,000 rows.
// Usage: QT_QPA_PLATFORM=offscreen bench_power_history
#include "log_ui/LogManageWidget.h"
#include "log_ui/LogPeriods.h"
#include "monitors/Command.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

// Ten thousand boots, one a day for 27 years, each with its power-on and power-off.
// The lists are made once, so that the figures measure the gathering, not this stand-in.
class ManyBoots : public PowerEventSource
{
public:
    ManyBoots()
    {
        const QDateTime first(QDate(2000, 1, 1), QTime(8, 0));
        for (int day = 0; day < 10000; ++day) {
            for (Kind kind : {PowerOn, PowerOff}) {
                const QDateTime moment = first.addDays(day).addSecs(kind == PowerOn ? 0 : 9 * 3600);
                moments[kind] << moment.toMSecsSinceEpoch();
                records[kind] << EventRecord{{QStringLiteral("datetime"), dateText(moment)}};
            }
        }
    }
    bool empty = false;
    QString commandLine(Kind, const QDateTime &) const override { return QStringLiteral("true"); }
    QList<EventRecord> events(const QByteArray &, Kind kind, const QDateTime &cutOff) const override
    {
        if (empty)
            return {};
        const qint64 after = cutOff.isValid() ? cutOff.toMSecsSinceEpoch() : -1;
        const auto first = std::upper_bound(moments[kind].cbegin(), moments[kind].cend(), after);
        return records[kind].mid(int(first - moments[kind].cbegin()));
    }

private:
    QList<qint64> moments[2];
    QList<EventRecord> records[2];
};

double milliseconds(QElapsedTimer &clock)
{
    const double elapsed = clock.nsecsElapsed() / 1e6;
    clock.restart();
    return elapsed;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTemporaryDir directory;
    // "--prepare DIR" leaves a database with 20,000 stored events in DIR and stops there.
    const bool prepareOnly = argc > 2 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--prepare");
    QDir::setCurrent(prepareOnly ? QString::fromLocal8Bit(argv[2]) : directory.path());
    Connection(nullptr).createTables();
    auto source = std::make_shared<ManyBoots>();

    QElapsedTimer clock;
    clock.start();
    Command(nullptr, source).collectPowerEvents();
    const double firstRun = milliseconds(clock);
    const int stored = Connection(nullptr).selectSystemLog({}).size();
    std::printf("first gathering of %d events into an empty table: %.0f ms\n", stored, firstRun);
    if (prepareOnly)
        return 0;

    clock.restart();
    Command(nullptr, source).collectPowerEvents();
    std::printf("gathering again with %d rows stored and nothing new: %.0f ms\n", stored, milliseconds(clock));

    source->empty = true;
    LogManageWidget tab(nullptr, source);
    tab.show();
    QCoreApplication::processEvents();
    clock.restart();
    tab.reloadRows({{QStringLiteral("start_timestamp"),
                     QString::number(QDateTime(QDate(2000, 1, 1), QTime(0, 0)).toSecsSinceEpoch())},
                    {QStringLiteral("end_timestamp"),
                     QString::number(QDateTime(QDate(2013, 9, 9), QTime(0, 0)).toSecsSinceEpoch())}});
    QCoreApplication::processEvents();
    std::printf("log table filled with %d rows: %.0f ms\n", tab.findChild<QTableWidget *>("logTable")->rowCount(),
                milliseconds(clock));
    return 0;
}
