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
        const struct
        {
            TC::CommissionType kind;
            int orderId;
            QString hours, minutes, rate;
            QString columns; // name, timer_mode, repeat_mode, lease_second, condition_speed
        } cases[] = {
            {TC::FromNowCommission, 1, "01", "5", "", "从现在开始01小时5分后重启 1 0 3900 -1"},
            // The description shows what is stored: text that is not a number counts,
            // and shows, as 0.
            {TC::FromOnCommission, 0, "2", "abc", "", "从电脑开机开始2小时0分后关机 2 5 7200 -1"},
            {TC::FromUntilCommission, 2, "8", "0", "", "全天累计开机8小时0分后注销当前用户 3 5 28800 -1"},
            {TC::FromUploadCommission, 0, "", "5", "020", "上传速度连续5分钟低于20KB/s后关机 5 5 300 20"},
            {TC::FreeCommission, 5, "", "10", "", "电脑连续空闲10分钟后执行关闭显示器 6 5 600 -1"},
        };
        for (const auto &c : cases) {
            const Record composed = TC::conditionColumns(c.kind, c.orderId, {c.hours, c.minutes, c.rate, false});
            QCOMPARE(valuesOf(composed, "name timer_mode repeat_mode lease_second condition_speed"), c.columns);
        }
        QCOMPARE(DurationText::hoursMinutesSeconds(3725), QStringLiteral("1小时2分5秒"));
        QCOMPARE(DurationText::hoursMinutesSeconds(90061), QStringLiteral("25小时1分1秒"));
    }

    void dailyExceptionsAndOnlyOnce()
    {
        // Saturday, Sunday, both and neither; the boxes belong to the daily kind
        // only.
        const QList<QPair<bool, bool>> boxes = {{true, false}, {false, true}, {true, true}, {false, false}};
        TC::CalendarChoice choice{QDate(2026, 12, 9)};
        QStringList values;
        for (const auto &box : boxes) {
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
        const struct
        {
            int orderId;
            QString operand, id, operationType;
        } cases[] = {{7, "/usr/bin/gedit", "", "0"},
                     {8, "example.org", "", "1"},
                     {9, "/home/a b.txt", "", "2"},
                     {10, "/usr/bin/xterm", "4", "3"},
                     {3, "", "7", "4"}}; // the last an edited lock task
        for (const auto &c : cases) {
            Record columns = TC::conditionColumns(TC::FromNowCommission, c.orderId, {"1", "0", "", false});
            columns["enable_state"] = "-1";
            const Record record = TC::saveRecord(columns, c.operand, c.id.isEmpty() ? "-1" : "12", c.id);
            QCOMPARE(record.contains("id"), !c.id.isEmpty());
            QCOMPARE(record.size(), c.id.isEmpty() ? 17 : 18);
            QCOMPARE(valuesOf(record, "position operation_type position_id enable_state lease_second"),
                     QString("%1 %2 %3 1 3600").arg(c.operand, c.operationType, c.id.isEmpty() ? "-1" : "12"));
        }
    }
};

QTEST_GUILESS_MAIN(TestTaskComposer)
#include "tst_task_composer.moc"
