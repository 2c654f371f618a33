#include "schedule/DurationText.h"
#include "schedule/TaskComposer.h"

#include <QtTest>

using Record = Connection::Record;
using TC = TaskComposer;

Q_DECLARE_METATYPE(TaskComposer::CommissionType)
Q_DECLARE_METATYPE(TaskComposer::CalendarChoice)

namespace {
int hms(int h, int m, int s = 0)
{
    return (h * 60 + m) * 60 + s;
}
TC::CalendarChoice calendar(const QDate &date, int time)
{
    TC::CalendarChoice choice;
    choice.firstRun = date;
    choice.timeOfDay = time;
    return choice;
}
} // namespace

class TestTaskComposer : public QObject
{
    Q_OBJECT

private slots:
    void calendarDescriptions_data();
    void calendarDescriptions();
    void calendarColumns();
    void dailyExceptionBoxes_data();
    void dailyExceptionBoxes();
    void conditionKinds_data();
    void conditionKinds();
    void onlyOnceAppliesToConditionKindsSixToTen();
    void executionLine();
    void saveRecordKeysAndOperand_data();
    void saveRecordKeysAndOperand();
    void durationText_data();
    void durationText();
};

void TestTaskComposer::calendarDescriptions_data()
{
    QTest::addColumn<TC::CommissionType>("kind");
    QTest::addColumn<int>("orderId");
    QTest::addColumn<TC::CalendarChoice>("choice");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("biggerUnit");

    TC::CalendarChoice choice = calendar(QDate(2024, 5, 1), hms(8, 30));
    QTest::newRow("once") << TC::OnceCommission << 0 << choice << "2024-05-01 08:30:00关机"
                          << "0";
    choice.timeOfDay = hms(8, 0);
    QTest::newRow("daily") << TC::DayCommission << 0 << choice << "每天08:00:00 关机"
                           << "0_0";
    choice.weekday = 1;
    QTest::newRow("weekly") << TC::WeekCommission << 1 << choice << "每周一 08:00:00 重启"
                            << "1";
    choice.weekday = 7;
    QTest::newRow("weekly on Sunday") << TC::WeekCommission << 4 << choice << "每周日 08:00:00 睡眠"
                                      << "7";
    choice.monthDay = 15;
    QTest::newRow("monthly") << TC::MonthCommission << 0 << choice << "每月15号08:00:00 关机"
                             << "15";
    choice.month = 5;
    choice.day = 1;
    QTest::newRow("yearly") << TC::YearCommission << 0 << choice << "每年5月1号 08:00:00 关机"
                            << "5_1";
    choice.month = 12;
    choice.day = 31;
    QTest::newRow("yearly, stand-by") << TC::YearCommission << 6 << choice << "每年12月31号 08:00:00 待机"
                                      << "12_31";
}

void TestTaskComposer::calendarDescriptions()
{
    QFETCH(TC::CommissionType, kind);
    QFETCH(int, orderId);
    QFETCH(TC::CalendarChoice, choice);
    QFETCH(QString, name);
    QFETCH(QString, biggerUnit);
    const Record columns = TC::calendarColumns(kind, orderId, choice);
    QCOMPARE(columns.value("name"), name);
    QCOMPARE(columns.value("repeat_bigger_unit"), biggerUnit);
    QCOMPARE(columns.value("timer_mode"), QString("0"));
    QCOMPARE(columns.value("repeat_mode"), QString::number(kind));
    QCOMPARE(columns.value("order_t"), QString::number(orderId));
}

void TestTaskComposer::calendarColumns()
{
    const Record columns = TC::calendarColumns(TC::WeekCommission, 3, calendar(QDate(2026, 12, 14), hms(22, 15, 30)));
    QCOMPARE(columns.value("lease_second"), QString::number(hms(22, 15, 30)));
    QCOMPARE(columns.value("repeat_time_day_month_year_in_second"), QString::number(hms(22, 15, 30)));
    QCOMPARE(columns.value("repeat_detail_day"), QString("2026-12-14 22:15:30"));
    QCOMPARE(columns.value("from_1970_seconds"),
             QString::number(QDateTime(QDate(2026, 12, 14), QTime(22, 15, 30)).toSecsSinceEpoch()));
    QCOMPARE(columns.value("repeat_except"), QString("4"));
    QCOMPARE(columns.value("condition_speed"), QString("-1"));
    QCOMPARE(columns.value("eng_name"), QString());
    QCOMPARE(columns.value("order_command"), QString());
    QCOMPARE(columns.value("enable_state"), QString("1"));
}

void TestTaskComposer::dailyExceptionBoxes_data()
{
    QTest::addColumn<bool>("saturday");
    QTest::addColumn<bool>("sunday");
    QTest::addColumn<QString>("repeatExcept");
    QTest::newRow("both") << true << true << "3";
    QTest::newRow("Saturday") << true << false << "1";
    QTest::newRow("Sunday") << false << true << "2";
    QTest::newRow("neither") << false << false << "4";
}

void TestTaskComposer::dailyExceptionBoxes()
{
    QFETCH(bool, saturday);
    QFETCH(bool, sunday);
    QFETCH(QString, repeatExcept);
    TC::CalendarChoice choice = calendar(QDate(2026, 12, 9), hms(8, 0));
    choice.exceptSaturday = saturday;
    choice.exceptSunday = sunday;
    QCOMPARE(TC::calendarColumns(TC::DayCommission, 0, choice).value("repeat_except"), repeatExcept);
    // The boxes belong to the daily kind only.
    QCOMPARE(TC::calendarColumns(TC::WeekCommission, 0, choice).value("repeat_except"), QString("4"));
}

void TestTaskComposer::conditionKinds_data()
{
    QTest::addColumn<TC::CommissionType>("kind");
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QStringList>("typed"); // hours, minutes, rate
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("columns"); // timer_mode, repeat_mode, lease_second, condition_speed
    QTest::newRow("from now") << TC::FromNowCommission << 0 << QStringList{"1", "30", ""} << "从现在开始1小时30分后关机"
                              << QStringList{"1", "0", "5400", "-1"};
    QTest::newRow("hours typed 01") << TC::FromNowCommission << 1 << QStringList{"01", "5", ""}
                                    << "从现在开始01小时5分后重启" << QStringList{"1", "0", "3900", "-1"};
    // The description shows what is stored: text that is not a number counts, and shows, as 0.
    QTest::newRow("minutes typed abc") << TC::FromOnCommission << 0 << QStringList{"2", "abc", ""}
                                       << "从电脑开机开始2小时0分后关机" << QStringList{"2", "5", "7200", "-1"};
    QTest::newRow("hours typed 1.5") << TC::FromNowCommission << 0 << QStringList{"1.5", "", ""}
                                     << "从现在开始0小时0分后关机" << QStringList{"1", "0", "0", "-1"};
    QTest::newRow("cumulative") << TC::FromUntilCommission << 2 << QStringList{"8", "0", ""}
                                << "全天累计开机8小时0分后注销当前用户" << QStringList{"3", "5", "28800", "-1"};
    QTest::newRow("upload is timer mode 5")
        << TC::FromUploadCommission << 0 << QStringList{"", "5", "20"} << "上传速度连续5分钟低于20KB/s后关机"
        << QStringList{"5", "5", "300", "20"};
    QTest::newRow("download is timer mode 4")
        << TC::FromDownloadCommission << 0 << QStringList{"", "10", "050"} << "下载速度连续10分钟低于50KB/s后关机"
        << QStringList{"4", "5", "600", "50"};
    QTest::newRow("idle, the seed task") << TC::FreeCommission << 5 << QStringList{"", "10", ""}
                                         << "电脑连续空闲10分钟后执行关闭显示器" << QStringList{"6", "5", "600", "-1"};
}

void TestTaskComposer::conditionKinds()
{
    QFETCH(TC::CommissionType, kind);
    QFETCH(int, orderId);
    QFETCH(QStringList, typed);
    QFETCH(QString, name);
    QFETCH(QStringList, columns);
    const Record composed = TC::conditionColumns(kind, orderId, {typed.at(0), typed.at(1), typed.at(2), false});
    QCOMPARE(composed.value("name"), name);
    QStringList values;
    for (const char *column : {"timer_mode", "repeat_mode", "lease_second", "condition_speed"})
        values << composed.value(column);
    QCOMPARE(values, columns);
    // Columns the condition kinds do not set keep their initial values.
    values.clear();
    for (const char *column : {"from_1970_seconds", "repeat_time_day_month_year_in_second", "repeat_bigger_unit",
                               "repeat_except", "repeat_detail_day"})
        values << composed.value(column);
    QCOMPARE(values, (QStringList{"0", "-1", "0", "4", ""}));
}

void TestTaskComposer::onlyOnceAppliesToConditionKindsSixToTen()
{
    for (int kind = TC::OnceCommission; kind <= TC::FreeCommission; ++kind)
        QCOMPARE(TC::allowsOnlyOnce(kind), kind >= 6);
    TC::ConditionChoice choice{"1", "1", "1", true};
    QCOMPARE(TC::conditionColumns(TC::FreeCommission, 0, choice).value("repeat_mode"), QString("0"));
    QCOMPARE(TC::conditionColumns(TC::FromNowCommission, 0, choice).value("repeat_mode"), QString("0"));
    choice.onlyOnce = false;
    QCOMPARE(TC::conditionColumns(TC::FromNowCommission, 0, choice).value("repeat_mode"), QString("0"));
    QCOMPARE(TC::conditionColumns(TC::FromDownloadCommission, 0, choice).value("repeat_mode"), QString("5"));
}

void TestTaskComposer::executionLine()
{
    QCOMPARE(TC::executionLine(0), QString());
    const qint64 moment = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)).toSecsSinceEpoch();
    QCOMPARE(TC::executionLine(moment), QString("执行时间为:2001-02-03 04:05:06"));
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
    QTest::newRow("shut down after an abandoned operand")
        << 0 << QStringList{"/usr/bin/gedit", ""} << QStringList{"", "4"};
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
    QStringList keys = QStringLiteral("name eng_name order_command order_t lease_second timer_mode repeat_mode "
                                      "repeat_time_day_month_year_in_second repeat_bigger_unit repeat_except "
                                      "repeat_detail_day from_1970_seconds condition_speed position position_id "
                                      "operation_type enable_state")
                           .split(' ');
    if (!id.isEmpty())
        keys << "id";
    keys.sort();
    QCOMPARE(record.keys(), keys);
    QCOMPARE(QStringList({record.value("position"), record.value("operation_type")}), stored);
    QCOMPARE(record.value("position_id"), QString(id.isEmpty() ? "-1" : "12"));
    QCOMPARE(record.value("enable_state"), QString("1"));
    QCOMPARE(record.value("lease_second"), QString("3600"));
}

void TestTaskComposer::durationText_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0小时0分0秒";
    QTest::newRow("3725") << qint64(3725) << "1小时2分5秒";
    QTest::newRow("over a day") << qint64(90061) << "25小时1分1秒";
}

void TestTaskComposer::durationText()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(DurationText::hoursMinutesSeconds(seconds), text);
}

QTEST_GUILESS_MAIN(TestTaskComposer)
#include "tst_task_composer.moc"
