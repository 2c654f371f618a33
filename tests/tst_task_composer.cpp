#include "schedule/DurationText.h"
#include "schedule/TaskComposer.h"

#include <QtTest>

using Record = Connection::Record;
using TC = TaskComposer;

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
    void conditionKindsAndDurations()
    {
        const auto check = [](TC::CommissionType kind, int orderId, const TC::ConditionChoice &typed,
                              const char *columns) {
            QCOMPARE(valuesOf(TC::conditionColumns(kind, orderId, typed),
                              "name timer_mode repeat_mode lease_second condition_speed"),
                     QString(columns));
        };
        check(TC::FromNowCommission, 1, {"01", "5", ""}, "从现在开始01小时5分后重启 1 0 3900 -1");
        // The description shows what is stored: text that is not a number counts, and shows, as 0.
        check(TC::FromOnCommission, 0, {"2", "abc", ""}, "从电脑开机开始2小时0分后关机 2 5 7200 -1");
        check(TC::FromUntilCommission, 2, {"8", "0", ""}, "全天累计开机8小时0分后注销当前用户 3 5 28800 -1");
        check(TC::FromUploadCommission, 0, {"", "5", "020"}, "上传速度连续5分钟低于20KB/s后关机 5 5 300 20");
        check(TC::FreeCommission, 5, {"", "10", ""}, "电脑连续空闲10分钟后执行关闭显示器 6 5 600 -1");
        QCOMPARE(DurationText::hoursMinutesSeconds(3725) + " " + DurationText::hoursMinutesSeconds(90061),
                 QStringLiteral("1小时2分5秒 25小时1分1秒"));
    }

    void dailyExceptionsAndOnlyOnce()
    {
        // Saturday, Sunday, both and neither; the boxes belong to the daily kind only.
        TC::CalendarChoice choice{QDate(2026, 12, 9)};
        QStringList values;
        for (const auto &box : QList<QPair<bool, bool>>{{true, false}, {false, true}, {true, true}, {false, false}}) {
            choice.exceptSaturday = box.first;
            choice.exceptSunday = box.second;
            values << TC::calendarColumns(TC::DayCommission, 0, choice).value("repeat_except")
                   << TC::calendarColumns(TC::WeekCommission, 0, choice).value("repeat_except");
        }
        QCOMPARE(values.join(' '), QString("1 4 2 4 3 4 4 4"));
        // Only the condition kinds six to ten may run once.
        for (int kind = TC::OnceCommission; kind <= TC::FreeCommission; ++kind)
            QCOMPARE(TC::allowsOnlyOnce(kind), kind >= 6);
    }

    void saveRecordKeysAndOperand()
    {
        const auto check = [](int orderId, const QString &operand, const QString &id, const QString &operationType) {
            Record columns = TC::conditionColumns(TC::FromNowCommission, orderId, {"1", "0", "", false});
            columns["enable_state"] = "-1";
            const Record record = TC::saveRecord(columns, operand, id.isEmpty() ? "-1" : "12", id);
            QCOMPARE(record.contains("id"), !id.isEmpty());
            QCOMPARE(record.size(), id.isEmpty() ? 17 : 18);
            QCOMPARE(valuesOf(record, "position operation_type position_id enable_state lease_second"),
                     QString("%1 %2 %3 1 3600").arg(operand, operationType, id.isEmpty() ? "-1" : "12"));
        };
        check(7, "/usr/bin/gedit", "", "0");
        check(8, "example.org", "", "1");
        check(9, "/home/a b.txt", "", "2");
        check(10, "/usr/bin/xterm", "4", "3");
        check(3, "", "7", "4"); // an edited lock task
    }
};

QTEST_GUILESS_MAIN(TestTaskComposer)
#include "tst_task_composer.moc"
