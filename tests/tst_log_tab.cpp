#include "QueryColumn.h"
#include "ScratchDirectory.h"
#include "VisibleWindow.h"
#include "log_ui/LogManageWidget.h"
#include "log_ui/LogPeriods.h"
#include "log_ui/RunPairing.h"
#include "log_ui/VATDateTimeBetweenWidget.h"
#include "log_ui/VATLogDateButton.h"

#include <QDateEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using Record = Connection::Record;
using Filter = LogPeriods::Filter;

namespace {

class NoEvents : public PowerEventSource
{
public:
    QString commandLine(Kind, const QDateTime &) const override { return QStringLiteral("true"); }
    QList<EventRecord> events(const QByteArray &, Kind, const QDateTime &) const override { return {}; }
};

// A record whose tool takes its time, as a large journal does.
class SlowEvents : public PowerEventSource
{
public:
    // A tool that takes two seconds, on any system.
    QString commandLine(Kind, const QDateTime &) const override
    {
        return "\"" + QCoreApplication::applicationDirPath() + "/hung_tool\" slow 2";
    }
    QList<EventRecord> events(const QByteArray &, Kind kind, const QDateTime &) const override
    {
        return {{{"datetime", kind == PowerOn ? "2026-12-01T08:00:00.0000000Z" : "2026-12-01T18:00:00.0000000Z"}}};
    }
};

QString at(const QString &text)
{
    return QString::number(QDateTime::fromString(text, "yyyy-MM-dd HH:mm:ss").toSecsSinceEpoch());
}

Filter between(const QString &start, const QString &end)
{
    return {{"start_timestamp", at(start)}, {"end_timestamp", at(end)}};
}

Record logRow(const QString &name, const QString &localTime)
{
    const QDateTime moment = QDateTime::fromString(localTime, "yyyy-MM-dd HH:mm:ss");
    return {{"name", name},
            {"operation_time", moment.toString("yyyy-MM-dd") + "T" + moment.toString("HH:mm:ss.zzz") + "0000Z"},
            {"timestamp", QString::number(moment.toSecsSinceEpoch())},
            {"operation_index", name == "开机" ? "1" : "0"}};
}

QDateTime now(const QString &text)
{
    return QDateTime::fromString(text, "yyyy-MM-dd HH:mm:ss");
}

QTableWidget *tableOf(const LogManageWidget &tab)
{
    return tab.findChild<QTableWidget *>("logTable");
}

// The filter button with this text, as the user finds it.
VATLogDateButton *periodButton(const LogManageWidget &tab, const QString &text)
{
    for (VATLogDateButton *button : tab.findChildren<VATLogDateButton *>()) {
        if (button->text() == text)
            return button;
    }
    qFatal("The log tab has no button %s", qPrintable(text));
}

} // namespace

class TestLogTab : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void periods_data();
    void periods();
    void pairing_data();
    void pairing();
    void tableShowsRowsAndDurations();
    void buttonsFilterByPeriod();
    void rangePickerOpensFromTheLastButton();
    void tabIsReadyWhileTheHistoryIsGatheredAndFillsAfter();

private:
    std::unique_ptr<LogManageWidget> makeTab();
    void store(const QList<Record> &rows);

    std::unique_ptr<ScratchDirectory> scratch;
};

void TestLogTab::init()
{
    scratch = std::make_unique<ScratchDirectory>();
    Connection(nullptr).createTables();
}

void TestLogTab::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    scratch.reset();
}

std::unique_ptr<LogManageWidget> TestLogTab::makeTab()
{
    auto tab = std::make_unique<LogManageWidget>(nullptr, std::make_shared<NoEvents>());
    tab->show();
    return tab;
}

void TestLogTab::store(const QList<Record> &rows)
{
    Connection connection(nullptr);
    for (const Record &row : rows)
        QVERIFY(connection.insertSystemLog(row));
}

void TestLogTab::periods_data()
{
    QTest::addColumn<QString>("period");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<Filter>("filter");
    QTest::newRow("month, February of a leap year")
        << "month" << now("2028-02-29 23:59:59") << between("2028-02-01 00:00:00", "2028-02-29 23:59:59");
    QTest::newRow("week across a month") << "week" << now("2026-12-02 15:30:00")
                                         << between("2026-11-30 00:00:00", "2026-12-06 23:59:59");
    QTest::newRow("week on a Sunday") << "week" << now("2026-12-06 08:00:00")
                                      << between("2026-11-30 00:00:00", "2026-12-06 23:59:59");
    QTest::newRow("yesterday across a month start")
        << "yesterday" << now("2026-12-01 00:30:00") << between("2026-11-30 00:00:00", "2026-11-30 23:59:59");
    QTest::newRow("today, no upper bound")
        << "today" << now("2026-12-09 10:00:00") << Filter{{"timestamp", at("2026-12-09 00:00:00")}};
}

void TestLogTab::periods()
{
    QFETCH(QString, period);
    QFETCH(QDateTime, now);
    QFETCH(Filter, filter);
    Filter computed;
    if (period == "month")
        computed = LogPeriods::thisMonth(now);
    else if (period == "week")
        computed = LogPeriods::thisWeek(now);
    else if (period == "yesterday")
        computed = LogPeriods::yesterday(now);
    else
        computed = LogPeriods::today(now);
    QCOMPARE(computed, filter);
}

void TestLogTab::pairing_data()
{
    QTest::addColumn<QList<Record>>("rows");
    QTest::addColumn<QStringList>("durations");
    QTest::newRow("on, off, off, on") << QList<Record>{logRow("开机", "2026-12-09 18:00:00"),
                                                       logRow("关机", "2026-12-09 17:00:00"),
                                                       logRow("关机", "2026-12-09 12:00:00"),
                                                       logRow("开机", "2026-12-09 11:00:00")}
                                      << QStringList{"", "", "用时1小时0分钟0秒 (共3600秒)", ""};
    QTest::newRow("a run over a day") << QList<Record>{logRow("关机", "2026-12-10 10:01:02"),
                                                       logRow("开机", "2026-12-09 09:00:00")}
                                      << QStringList{"用时25小时1分钟2秒 (共90062秒)", ""};
    QTest::newRow("an unknown name takes no part")
        << QList<Record>{logRow("关机", "2026-12-09 12:00:00"), logRow("重启", "2026-12-09 11:00:00"),
                         logRow("开机", "2026-12-09 10:00:00")}
        << QStringList{"用时2小时0分钟0秒 (共7200秒)", "", ""};
}

void TestLogTab::pairing()
{
    QFETCH(QList<Record>, rows);
    QFETCH(QStringList, durations);
    QCOMPARE(QStringList(RunPairing::durations(rows)), durations);
}

void TestLogTab::tableShowsRowsAndDurations()
{
    store({logRow("开机", "2026-12-09 09:30:15"), logRow("关机", "2026-12-09 12:00:00"),
           logRow("开机", "2026-12-09 13:00:00")});
    auto tab = makeTab();
    QTableWidget *table = tableOf(*tab);
    QCOMPARE(table->rowCount(), 0);

    QTest::mouseClick(periodButton(*tab, "查看全部日志"), Qt::LeftButton);
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(0, 0)->text(), QString("1"));
    // Local time to the second, without the "Z" that would claim UTC.
    QCOMPARE(table->item(0, 1)->text(), QString("2026-12-09 13:00:00"));
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("开机"));
    QCOMPARE(table->item(0, 3)->text(), QString());
    QCOMPARE(table->item(1, 3)->text(), QStringLiteral("用时2小时29分钟45秒 (共8985秒)"));
    QCOMPARE(table->item(2, 3)->text(), QString());
}

void TestLogTab::buttonsFilterByPeriod()
{
    const QDateTime fixed = now("2026-12-09 10:00:00");
    store({logRow("开机", "2026-11-30 08:00:00"), logRow("关机", "2026-12-08 23:59:59"),
           logRow("开机", "2026-12-09 00:00:00"), logRow("关机", "2026-12-20 00:00:00")});
    auto tab = makeTab();
    tab->setClock([fixed] { return fixed; });
    const QList<QPair<QString, int>> expected = {
        {"查看全部日志", 4}, {"查看本月日志", 3}, {"查看本周日志", 2}, {"查看昨天日志", 1}, {"查看今天日志", 2}};
    for (const auto &period : expected) {
        QTest::mouseClick(periodButton(*tab, period.first), Qt::LeftButton);
        QCOMPARE(period.first + " " + QString::number(tableOf(*tab)->rowCount()),
                 period.first + " " + QString::number(period.second));
    }
}

void TestLogTab::rangePickerOpensFromTheLastButton()
{
    // The day's first and last second are in; the next day's first is not.
    store({logRow("开机", "2026-12-05 00:00:00"), logRow("关机", "2026-12-05 23:59:59"),
           logRow("开机", "2026-12-06 00:00:00")});
    auto tab = makeTab();
    tab->move(-200, 100);
    QVERIFY(QTest::qWaitForWindowExposed(tab.get()));
    QTest::mouseClick(periodButton(*tab, "查看指定日期日志"), Qt::LeftButton);
    QPointer<VATDateTimeBetweenWidget> picker = visibleWindow<VATDateTimeBetweenWidget>();
    QVERIFY(picker);
    // Over the middle of the window it was opened from.
    QCOMPARE(picker->frameGeometry().center(), tab->frameGeometry().center());
    picker->findChild<QDateEdit *>("startDate")->setDate(QDate(2026, 12, 5));
    picker->findChild<QDateEdit *>("endDate")->setDate(QDate(2026, 12, 5));
    QTest::mouseClick(picker->confirmButton(), Qt::LeftButton);
    QCOMPARE(tableOf(*tab)->rowCount(), 2);
    QCOMPARE(tableOf(*tab)->item(0, 1)->text(), QString("2026-12-05 23:59:59"));
    // A range that ends before it starts holds nothing.
    tab->confirmDateSlot(QDate(2026, 12, 6), QDate(2026, 12, 4));
    QCOMPARE(tableOf(*tab)->rowCount(), 0);
}

void TestLogTab::tabIsReadyWhileTheHistoryIsGatheredAndFillsAfter()
{
    auto tab = std::make_unique<LogManageWidget>(nullptr, std::make_shared<SlowEvents>());
    tab->show();
    // The tab did not wait for the tool: nothing is in yet, and the table is there to use.
    QCOMPARE(queryColumn("select count(*) from system_log"), QStringList{"0"});
    periodButton(*tab, "查看全部日志")->click();
    QTableWidget *table = tableOf(*tab);
    QCOMPARE(table->rowCount(), 0);
    // When the gathering ends, the chosen period shows what came in.
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 2, 15000);
    QCOMPARE(table->item(0, 2)->text(), QString("关机"));
    QCOMPARE(table->item(1, 2)->text(), QString("开机"));
}

QTEST_MAIN(TestLogTab)
#include "tst_log_tab.moc"
