#include "QueryColumn.h"
#include "ScratchDirectory.h"
#include "VisibleWindow.h"
#include "log_ui/LogManageWidget.h"
#include "log_ui/LogPeriods.h"
#include "log_ui/RunPairing.h"
#include "log_ui/VATDateTimeBetweenWidget.h"
#include "log_ui/VATLogDateButton.h"

#include <QDateEdit>
#include <QTableWidget>
#include <QtTest>

using Record = Connection::Record;
using Filter = LogPeriods::Filter;

namespace {

// A power history whose tool finishes at once with nothing, or takes two seconds (as a large
// journal does) and then holds one run.
class Events : public PowerEventSource
{
public:
    bool slow = false;
    QString commandLine(Kind, const QDateTime &) const override
    {
        return slow ? "\"" + QCoreApplication::applicationDirPath() + "/hung_tool\" slow 2" : QStringLiteral("true");
    }
    QList<EventRecord> events(const QByteArray &, Kind kind, const QDateTime &) const override
    {
        if (!slow)
            return {};
        return {{{"datetime", kind == PowerOn ? "2026-12-01T08:00:00.0000000Z" : "2026-12-01T18:00:00.0000000Z"}}};
    }
};

QDateTime local(const QString &text)
{
    return QDateTime::fromString(text, "yyyy-MM-dd HH:mm:ss");
}

QString at(const QString &text)
{
    return QString::number(local(text).toSecsSinceEpoch());
}

Record logRow(const QString &name, const QString &localTime)
{
    const QDateTime moment = local(localTime);
    return {{"name", name},
            {"operation_time", moment.toString("yyyy-MM-dd") + "T" + moment.toString("HH:mm:ss.zzz") + "0000Z"},
            {"timestamp", QString::number(moment.toSecsSinceEpoch())},
            {"operation_index", name == "开机" ? "1" : "0"}};
}

// The table's column as text, top to bottom.
QStringList columnOf(const LogManageWidget &tab, int column)
{
    QStringList texts;
    const auto *table = tab.findChild<QTableWidget *>("logTable");
    for (int row = 0; row < table->rowCount(); ++row)
        texts << table->item(row, column)->text();
    return texts;
}

// The filter button with this text, as the user finds it.
VATLogDateButton *periodButton(const LogManageWidget &tab, const QString &text)
{
    for (VATLogDateButton *button : tab.findChildren<VATLogDateButton *>())
        if (button->text() == text)
            return button;
    qFatal("The log tab has no button %s", qPrintable(text));
}

} // namespace

class TestLogTab : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        scratch.reset();
        scratch = std::make_unique<ScratchDirectory>();
        Connection(nullptr).createTables();
    }

    void periodsAndPairing()
    {
        const QList<std::tuple<Filter, QString, QString>> periods = {
            {LogPeriods::thisMonth(local("2028-02-29 23:59:59")), "2028-02-01 00:00:00", "2028-02-29 23:59:59"},
            {LogPeriods::thisWeek(local("2026-12-02 15:30:00")), "2026-11-30 00:00:00", "2026-12-06 23:59:59"},
            {LogPeriods::thisWeek(local("2026-12-06 08:00:00")), "2026-11-30 00:00:00", "2026-12-06 23:59:59"},
            {LogPeriods::yesterday(local("2026-12-01 00:30:00")), "2026-11-30 00:00:00", "2026-11-30 23:59:59"},
        };
        for (const auto &[computed, start, end] : periods)
            QCOMPARE(computed, (Filter{{"start_timestamp", at(start)}, {"end_timestamp", at(end)}}));
        QCOMPARE(LogPeriods::today(local("2026-12-09 10:00:00")), (Filter{{"timestamp", at("2026-12-09 00:00:00")}}));

        // Of two power-offs in a row the older pairs; a run over a day counts its hours on; an
        // unknown name takes no part.
        const QList<QPair<QList<Record>, QStringList>> pairings = {
            {{logRow("开机", "2026-12-09 18:00:00"), logRow("关机", "2026-12-09 17:00:00"),
              logRow("关机", "2026-12-09 12:00:00"), logRow("开机", "2026-12-09 11:00:00")},
             {"", "", "用时1小时0分钟0秒 (共3600秒)", ""}},
            {{logRow("关机", "2026-12-10 10:01:02"), logRow("开机", "2026-12-09 09:00:00")},
             {"用时25小时1分钟2秒 (共90062秒)", ""}},
            {{logRow("关机", "2026-12-09 12:00:00"), logRow("重启", "2026-12-09 11:00:00"),
              logRow("开机", "2026-12-09 10:00:00")},
             {"用时2小时0分钟0秒 (共7200秒)", "", ""}},
        };
        for (const auto &[rows, durations] : pairings)
            QCOMPARE(QStringList(RunPairing::durations(rows)), durations);
    }
    void tabFiltersByPeriodAndShowsRuns()
    {
        Connection connection(nullptr);
        for (const char *on : {"2026-11-30 08:00:00", "2026-12-05 00:00:00", "2026-12-06 00:00:00",
                               "2026-12-09 00:00:00", "2026-12-09 09:30:15", "2026-12-09 13:00:00"})
            QVERIFY(connection.insertSystemLog(logRow("开机", on)));
        for (const char *off :
             {"2026-12-05 23:59:59", "2026-12-08 23:59:59", "2026-12-09 12:00:00", "2026-12-20 00:00:00"})
            QVERIFY(connection.insertSystemLog(logRow("关机", off)));
        LogManageWidget tab(nullptr, std::make_shared<Events>());
        tab.setClock([] { return local("2026-12-09 10:00:00"); });
        tab.move(-200, 100);
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        QCOMPARE(columnOf(tab, 0), QStringList());
        QStringList counts;
        for (const char *period : {"查看全部日志", "查看本月日志", "查看本周日志", "查看昨天日志", "查看今天日志"}) {
            QTest::mouseClick(periodButton(tab, period), Qt::LeftButton);
            counts << QString::number(columnOf(tab, 0).size());
        }
        QCOMPARE(counts, (QStringList{"10", "9", "5", "1", "5"}));
        // The picker opens from the last button, over the middle of the tab; the day's first and
        // last second are in, the next day's first is not.
        QTest::mouseClick(periodButton(tab, "查看指定日期日志"), Qt::LeftButton);
        QPointer<VATDateTimeBetweenWidget> picker = visibleWindow<VATDateTimeBetweenWidget>();
        QVERIFY(picker);
        QCOMPARE(picker->frameGeometry().center(), tab.frameGeometry().center());
        picker->findChild<QDateEdit *>("startDate")->setDate(QDate(2026, 12, 5));
        picker->findChild<QDateEdit *>("endDate")->setDate(QDate(2026, 12, 5));
        QTest::mouseClick(picker->confirmButton(), Qt::LeftButton);
        QCOMPARE(columnOf(tab, 1), (QStringList{"2026-12-05 23:59:59", "2026-12-05 00:00:00"}));
        // Numbered rows in local time to the second, without the "Z" that would claim UTC; a
        // power-off shows how long the machine had run.
        tab.confirmDateSlot(QDate(2026, 12, 9), QDate(2026, 12, 9));
        QCOMPARE(columnOf(tab, 0), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(
            columnOf(tab, 1),
            (QStringList{"2026-12-09 13:00:00", "2026-12-09 12:00:00", "2026-12-09 09:30:15", "2026-12-09 00:00:00"}));
        QCOMPARE(columnOf(tab, 2), (QStringList{"开机", "关机", "开机", "开机"}));
        QCOMPARE(columnOf(tab, 3), (QStringList{"", "用时2小时29分钟45秒 (共8985秒)", "", ""}));
        // A range that ends before it starts holds nothing.
        tab.confirmDateSlot(QDate(2026, 12, 6), QDate(2026, 12, 4));
        QCOMPARE(columnOf(tab, 0), QStringList());
    }
    void tabIsReadyWhileTheHistoryIsGatheredAndFillsAfter()
    {
        auto events = std::make_shared<Events>();
        events->slow = true;
        LogManageWidget tab(nullptr, events);
        tab.show();
        // The tab did not wait for the tool: nothing is in yet, and the table is there to use.
        QCOMPARE(queryColumn("select count(*) from system_log"), QStringList{"0"});
        periodButton(tab, "查看全部日志")->click();
        QCOMPARE(columnOf(tab, 2), QStringList());
        // When the gathering ends, the chosen period shows what came in.
        QTRY_COMPARE_WITH_TIMEOUT(columnOf(tab, 2), (QStringList{"关机", "开机"}), 15000);
    }

private:
    std::unique_ptr<ScratchDirectory> scratch;
};

QTEST_MAIN(TestLogTab)
#include "tst_log_tab.moc"
