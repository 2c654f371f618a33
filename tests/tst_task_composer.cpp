#include "schedule/DurationText.h"
#include "schedule/TaskComposer.h"

#include <QtTest>

using Record = Connection::Record;
using TC = TaskComposer;

Q_DECLARE_METATYPE(TaskComposer::CommissionType)

namespace {
QString valuesOf(const Record &record, const QString &columns)
{
    QStringList values;
    for (const QString &column : columns.split(' '))
        values << record.value(column);
    return values.join(' ');
}
} // namespace

class TestTaskComposer : public QObject
{
    Q_OBJECT

private slots:
    void conditionKinds_data();
    void conditionKinds();
    void dailyExceptionBoxes();
    void onlyOnceAppliesToConditionKindsSixToTen();
    void saveRecordKeysAndOperand_data();
    void saveRecordKeysAndOperand();
    void durationText();
};

void TestTaskComposer::conditionKinds_data()
{
    QTest::addColumn<TC::CommissionType>("kind");
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QStringList>("typed"); // hours, minutes, rate
    QTest::addColumn<QString>("columns");   // name, timer_mode, repeat_mode, lease_second, condition_speed
    QTest::newRow("hours typed 01") << TC::FromNowCommission << 1 << QStringList{"01", "5", ""}
                                    << "从现在开始01小时5分后重启 1 0 3900 -1";
    // The description shows what is stored: text that is not a number counts, and shows, as 0.
    QTest::newRow("minutes typed abc") << TC::FromOnCommission << 0 << QStringList{"2", "abc", ""}
                                       << "从电脑开机开始2小时0分后关机 2 5 7200 -1";
    QTest::newRow("cumulative") << TC::FromUntilCommission << 2 << QStringList{"8", "0", ""}
                                << "全天累计开机8小时0分后注销当前用户 3 5 28800 -1";
    QTest::newRow("upload is timer mode 5") << TC::FromUploadCommission << 0 << QStringList{"", "5", "020"}
                                            << "上传速度连续5分钟低于20KB/s后关机 5 5 300 20";
    QTest::newRow("idle, the seed task") << TC::FreeCommission << 5 << QStringList{"", "10", ""}
                                         << "电脑连续空闲10分钟后执行关闭显示器 6 5 600 -1";
}

void TestTaskComposer::conditionKinds()
{
    QFETCH(TC::CommissionType, kind);
    QFETCH(int, orderId);
    QFETCH(QStringList, typed);
    QFETCH(QString, columns);
    const Record composed = TC::conditionColumns(kind, orderId, {typed.at(0), typed.at(1), typed.at(2), false});
    QCOMPARE(valuesOf(composed, "name timer_mode repeat_mode lease_second condition_speed"), columns);
}

void TestTaskComposer::dailyExceptionBoxes()
{
    // Saturday, Sunday, both and neither; the boxes belong to the daily kind only.
    const QList<QPair<bool, bool>> boxes = {{true, false}, {false, true}, {true, true}, {false, false}};
    TC::CalendarChoice choice;
    choice.firstRun = QDate(2026, 12, 9);
    QStringList values;
    for (const auto &box : boxes) {
        choice.exceptSaturday = box.first;
        choice.exceptSunday = box.second;
        values << TC::calendarColumns(TC::DayCommission, 0, choice).value("repeat_except")
               << TC::calendarColumns(TC::WeekCommission, 0, choice).value("repeat_except");
    }
    QCOMPARE(values.join(' '), QString("1 4 2 4 3 4 4 4"));
}

void TestTaskComposer::onlyOnceAppliesToConditionKindsSixToTen()
{
    for (int kind = TC::OnceCommission; kind <= TC::FreeCommission; ++kind)
        QCOMPARE(TC::allowsOnlyOnce(kind), kind >= 6);
}

void TestTaskComposer::saveRecordKeysAndOperand_data()
{
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QStringList>("given");  // operand, task id
    QTest::addColumn<QStringList>("stored"); // position, operation_type
    QTest::newRow("run a program") << 7 << QStringList{"/usr/bin/gedit", ""} << QStringList{"/usr/bin/gedit", "0"};
    QTest::newRow("open an address") << 8 << QStringList{"example.org", ""} << QStringList{"example.org", "1"};
    QTest::newRow("open a file") << 9 << QStringList{"/home/a b.txt", ""} << QStringList{"/home/a b.txt", "2"};
    QTest::newRow("close a program") << 10 << QStringList{"/usr/bin/xterm", "4"} << QStringList{"/usr/bin/xterm", "3"};
    QTest::newRow("edited lock task") << 3 << QStringList{"", "7"} << QStringList{"", "4"};
}

void TestTaskComposer::saveRecordKeysAndOperand()
{
    QFETCH(int, orderId);
    QFETCH(QStringList, given);
    QFETCH(QStringList, stored);
    const QString id = given.last();
    Record columns = TC::conditionColumns(TC::FromNowCommission, orderId, {"1", "0", "", false});
    columns["enable_state"] = "-1";
    const Record record = TC::saveRecord(columns, given.first(), id.isEmpty() ? "-1" : "12", id);
    QCOMPARE(record.contains("id"), !id.isEmpty());
    QCOMPARE(record.size(), id.isEmpty() ? 17 : 18);
    QCOMPARE(QStringList({record.value("position"), record.value("operation_type")}), stored);
    QCOMPARE(valuesOf(record, "position_id enable_state lease_second"),
             QString(id.isEmpty() ? "-1 1 3600" : "12 1 3600"));
}

void TestTaskComposer::durationText()
{
    QCOMPARE(DurationText::hoursMinutesSeconds(3725), QStringLiteral("1小时2分5秒"));
    QCOMPARE(DurationText::hoursMinutesSeconds(90061), QStringLiteral("25小时1分1秒"));
}

QTEST_GUILESS_MAIN(TestTaskComposer)
#include "tst_task_composer.moc"
