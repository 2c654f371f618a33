#include "QueryColumn.h"
#include "ScratchDirectory.h"
#include "storage/Connection.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

#include <memory>

using Record = Connection::Record;

namespace {

// A daily task at 22:00 without an operand; its name is the one given.
Record taskValues(const QString &name = QStringLiteral("每天 22:00 关机"))
{
    Record task{{"name", name}};
    for (const QString &pair : QStringLiteral("order_t=0 lease_second=0 timer_mode=0 repeat_mode=1 repeat_except=0 "
                                              "repeat_time_day_month_year_in_second=79200 condition_speed=-1 "
                                              "from_1970_seconds=1796479200 enable_state=1 operation_type=4")
                                   .split(' '))
        task.insert(pair.section('=', 0, 0), pair.section('=', 1));
    return task;
}

// Each row of a table as its columns' texts joined by '|', in the order of their ids.
QStringList rows(const QString &table, const QString &columns)
{
    return queryColumn("select " + QString(columns).replace(",", " || '|' || ") + " from " + table + " order by id");
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        db.reset(), scratch.reset(); // each directory goes before the next is made
        scratch = std::make_unique<ScratchDirectory>();
        db = std::make_unique<Connection>(nullptr);
        QVERIFY(db->createTables());
    }

    void newDatabaseIsPrivateHoldsItsSeedsAndIsKeptWhenCreatedAgain()
    {
#ifndef Q_OS_WIN // Windows guards files with access lists, not permission bits.
        const QFile::Permissions permissions = QFile::permissions(scratch->filePath("database.db"));
        QCOMPARE(permissions & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        QVERIFY(permissions & QFile::ReadOwner && permissions & QFile::WriteOwner);
#endif
        QVERIFY(db->openDatabase());
        const QStringList tables = queryColumn(
            "select m.name || ': ' || (select group_concat(p.name, ' ') from pragma_table_info(m.name) p) "
            "from sqlite_master m where m.type = 'table' and m.name <> 'sqlite_sequence' order by m.rowid");
        const QStringList expectedTables = {
            "order_t: id name eng_name is_file file_name order_command",
            "app_position_t: id name position operation_type usefully",
            "plan_t: id name eng_name order_command order_t lease_second timer_mode repeat_mode "
            "repeat_time_day_month_year_in_second repeat_bigger_unit repeat_except repeat_detail_day from_1970_seconds "
            "condition_speed app_position_t enable_state",
            "system_log: id name operation_time timestamp operation_index"};
        QCOMPARE(tables, expectedTables);
        QCOMPARE(queryColumn("select count(*) from app_position_t union all select count(*) from system_log"),
                 (QStringList{"0", "0"}));
        QStringList catalogue;
        for (const Record &row : db->selectOrder({}))
            catalogue << QStringList{row.value("id"), row.value("name"), row.value("order_command"),
                                     row.value("is_file"), row.value("eng_name") + row.value("file_name")}
                             .join('|');
        QCOMPARE(catalogue.join(';'),
                 QStringLiteral("0|关机|shutdown -s -f|0|;1|重启|shutdown -r |0|;2|注销当前用户|logoff|1|;"
                                "3|系统锁定|rundll32.exe user32.dll LockWorkStation|1|;4|电脑睡眠|shutdown -h|0|;"
                                "5|关闭显示器|%systemroot%\\system32\\scrnsave.scr /s|0|;"
                                "6|电脑待机|rundll32 powrprof.dll,SetSuspendState|0|;7|运行软件||0|;8|打开网址||0|;"
                                "9|打开文件|start |0|;10|关闭软件|wmic process where name=\"%1\" delete|0|;"
                                "11|断开网络|netsh interface set interface wlan0 disabled|0|"));
        // The seed task, column by column in the table's order.
        const QStringList planColumns = expectedTables.at(2).section(": ", 1).split(' ');
        const Connection::RecordList plans = db->selectPlanList();
        QCOMPARE(plans.size(), 1);
        QStringList seed;
        for (const QString &name : planColumns)
            seed << plans.first().value(name);
        QCOMPARE(seed.join('|'), QStringLiteral("0|电脑连续空闲10分钟后执行关闭显示器|||5|600|6|5|-1|0|4||0|-1|-1|1"));

        // A removed task is hidden, not deleted, and the seed does not come back.
        QVERIFY(db->deletePlan({{"id", "0"}}));
        QVERIFY(db->createTables());
        QVERIFY(db->createTables());
        QVERIFY(db->openDatabase());
        QCOMPARE(db->selectOrder({}).size(), 12);
        QVERIFY(db->selectPlanList().isEmpty());
        QCOMPARE(queryColumn("select enable_state from plan_t"), QStringList{"0"});
    }

    void unusableFileGivesEmptyResultsAndStaysAsItWas_data()
    {
        QTest::addColumn<bool>("folder");
        // A folder cannot be opened as a database, also not by root.
        QTest::newRow("a folder in its place") << true;
        QTest::newRow("somebody's notes") << false;
    }

    void unusableFileGivesEmptyResultsAndStaysAsItWas()
    {
        QFETCH(bool, folder);
        db.reset(), scratch.reset(), scratch = std::make_unique<ScratchDirectory>();
        const QByteArray content = QByteArray("these are somebody's notes, not a database\n").repeated(200);
        QFile file("database.db");
        if (folder)
            QVERIFY(QDir().mkdir("database.db"));
        else
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        db = std::make_unique<Connection>(nullptr);
        // Only the folder is refused at once; the notes are found out when they are read.
        QCOMPARE(db->createTables(), !folder);
        QVERIFY(db->selectPlanList().isEmpty());
        QVERIFY(db->selectOrder({}).isEmpty());
        QVERIFY(!db->insertPlan(taskValues()));
        QVERIFY(!db->insertSystemLog(
            {{"name", "开机"}, {"operation_time", "x"}, {"timestamp", "1"}, {"operation_index", "1"}}));
        db.reset();
        ScratchDirectory::dropDatabaseConnection();
        QVERIFY(folder || (file.open(QIODevice::ReadOnly) && file.readAll() == content));
    }

    void filteredSelects_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<Record>("filter");
        QTest::addColumn<QStringList>("found"); // ids; for the system log its timestamps
        QTest::newRow("order by id") << "order_t" << Record{{"id", "3"}} << QStringList{"3"};
        QTest::newRow("order, keys that exclude")
            << "order_t" << Record{{"id", "4"}, {"is_file", "1"}} << QStringList{};
        QTest::newRow("empty value matches nothing") << "order_t" << Record{{"id", ""}} << QStringList{};
        QTest::newRow("operand by id") << "app_position_t" << Record{{"id", "3"}} << QStringList{"3"};
        QTest::newRow("plan by id") << "plan_t" << Record{{"id", "3"}} << QStringList{"3"};
        QTest::newRow("removed plan by id") << "plan_t" << Record{{"id", "2"}} << QStringList{};
        QTest::newRow("plans, empty filter keeps removed") << "plan_t" << Record{} << QStringList{"0", "1", "2", "3"};
        QTest::newRow("log, newest first") << "system_log" << Record{} << QStringList{"300", "200", "150", "100", "50"};
        QTest::newRow("log, both ends included")
            << "system_log" << Record{{"start_timestamp", "100"}, {"end_timestamp", "200"}}
            << QStringList{"200", "150", "100"};
        QTest::newRow("log, timestamp is a lower bound")
            << "system_log" << Record{{"timestamp", "150"}} << QStringList{"300", "200", "150"};
        QTest::newRow("log, flag within bounds")
            << "system_log" << Record{{"operation_index", "1"}, {"end_timestamp", "100"}} << QStringList{"100", "50"};
    }

    void filteredSelects()
    {
        QFETCH(QString, table);
        QFETCH(Record, filter);
        QFETCH(QStringList, found);
        for (int i = 1; i <= 3; ++i) {
            Record task = taskValues(QStringLiteral("任务 %1").arg(i));
            task["position"] = QStringLiteral("/opt/app%1").arg(i);
            task["operation_type"] = "0";
            QVERIFY(db->insertPlan(task));
        }
        QVERIFY(db->deletePlan({{"id", "2"}}));
        for (const auto &event : QList<QPair<int, int>>{{100, 1}, {300, 0}, {50, 1}, {200, 1}, {150, 0}})
            QVERIFY(db->insertSystemLog({{"name", event.second ? "开机" : "关机"},
                                         {"operation_time", "2026-12-01 08:00:00"},
                                         {"timestamp", QString::number(event.first)},
                                         {"operation_index", QString::number(event.second)}}));
        const Connection::RecordList selected = table == "system_log" ? db->selectSystemLog(filter)
            : table == "order_t"                                      ? db->selectOrder(filter)
            : table == "plan_t"                                       ? db->selectPlan(filter)
                                                                      : db->selectAppPosition(filter);
        QStringList values;
        for (const Record &row : selected)
            values << row.value(table == "system_log" ? "timestamp" : "id");
        QCOMPARE(values, found);
    }

    void badKeysAndNumbersAreRefusedBeforeWriting()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Filter key is not a column name"));
        QVERIFY(db->selectOrder({{"1=1 or id", "1"}}).isEmpty());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Filter key is not a column name"));
        QVERIFY(db->selectSystemLog({{"name;drop table system_log", "1"}}).isEmpty());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("updatePlan: key is not a column name"));
        QVERIFY(!db->updatePlan({{"id", "0"}, {"name' = 'x", "1"}}));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("nothing to write"));
        QVERIFY(!db->updatePlan({{"id", "0"}}));
        Record task = taskValues();
        task["position"] = "/usr/bin/true";
        for (const QString &notANumber : {QString(), QStringLiteral("10; drop table plan_t")}) {
            task["lease_second"] = notANumber;
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("lease_second"));
            QVERIFY(!db->insertPlan(task));
        }
        QVERIFY(db->selectAppPosition({}).isEmpty());
        QCOMPARE(db->selectPlanList().size(), 1);
        QCOMPARE(db->selectOrder({}).size(), 12);
    }

    void operandsAreLinkedOnInsertAndUpdate()
    {
        // The first task without an operand and the first with one both get id 1 of their tables.
        QVERIFY(db->insertPlan(taskValues()));
        Record withOperand = taskValues(QStringLiteral("打开网址 example.org"));
        withOperand["position"] = "example.org/path?q=1";
        withOperand["operation_type"] = "1";
        QVERIFY(db->insertPlan(withOperand));
        QCOMPARE(rows("plan_t", "id,app_position_t"), (QStringList{"0|-1", "1|-1", "2|1"}));
        QCOMPARE(rows("app_position_t", "id,position,operation_type,name,usefully"),
                 QStringList{"1|example.org/path?q=1|1|打开网址 example.org|1"});
        // No operand yet, a new one given: inserted, and the task points at it.
        QVERIFY(db->updatePlan(
            {{"id", "1"}, {"name", "运行 A"}, {"position_id", "-1"}, {"position", "/opt/a"}, {"operation_type", "0"}}));
        QCOMPARE(rows("plan_t", "name,app_position_t").value(1), QStringLiteral("运行 A|2"));
        // An existing operand: rewritten in place, the task's reference unchanged.
        QVERIFY(db->updatePlan(
            {{"id", "1"}, {"name", "运行 B"}, {"position_id", "2"}, {"position", "/opt/b"}, {"operation_type", "0"}}));
        // No operand and none given: only the named columns change.
        QVERIFY(db->updatePlan(
            {{"id", "0"}, {"enable_state", "1"}, {"lease_second", "900"}, {"position_id", "-1"}, {"position", ""}}));
        QCOMPARE(rows("plan_t", "id,name,lease_second,timer_mode,app_position_t"),
                 (QStringList{"0|电脑连续空闲10分钟后执行关闭显示器|900|6|-1", "1|运行 B|0|0|2",
                              "2|打开网址 example.org|0|0|1"}));
        QCOMPARE(rows("app_position_t", "id,position,name"),
                 (QStringList{"1|example.org/path?q=1|打开网址 example.org", "2|/opt/b|运行 B"}));
    }

    void valuesRoundTripUnchanged_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("quote and statement end") << "it's; drop table plan_t; --";
        QTest::newRow("placeholder text") << "%1 %2 :name ?";
        QTest::newRow("emoji, 10,000 characters") << QString("⏰ 🐱") + QString(10000, QChar(0x4E2D));
    }

    void valuesRoundTripUnchanged()
    {
        QFETCH(QString, value);
        Record task = taskValues(value);
        task["repeat_detail_day"] = value;
        task["position"] = value;
        task["operation_type"] = "2";
        QVERIFY(db->insertPlan(task));
        const Record stored = db->selectPlan({{"id", "1"}}).value(0);
        QCOMPARE((QStringList{stored.value("name"), stored.value("repeat_detail_day"),
                              db->selectAppPosition({{"id", "1"}}).value(0).value("position")}),
                 (QStringList{value, value, value}));
        QVERIFY(db->updatePlan(
            {{"id", "1"}, {"eng_name", value}, {"position_id", "1"}, {"position", value + "!"}, {"name", value}}));
        QCOMPARE(db->selectPlan({{"id", "1"}}).value(0).value("eng_name"), value);
        QCOMPARE(db->selectAppPosition({{"id", "1"}}).value(0).value("position"), value + "!");
        QVERIFY(db->insertSystemLog(
            {{"name", value}, {"operation_time", value}, {"timestamp", "7"}, {"operation_index", "1"}}));
        const Record log = db->selectSystemLog({}).value(0);
        QCOMPARE((QStringList{log.value("name"), log.value("operation_time")}), (QStringList{value, value}));
        QCOMPARE(db->selectOrder({}).size(), 12);
    }

    // Two instances of the program share one database file.
    void twoInstancesInsertingAtOnceLoseNothing()
    {
        db.reset();
        ScratchDirectory::dropDatabaseConnection();
        QVERIFY(QFile::remove("database.db"));
        const QString helper = QCoreApplication::applicationDirPath() + "/insert_tasks";
        QProcess writers[2];
        for (QProcess &writer : writers) {
            writer.setProcessChannelMode(QProcess::ForwardedChannels);
            writer.start(helper, {"300", QString::number(&writer - writers)});
        }
        for (QProcess &writer : writers)
            QVERIFY(writer.waitForFinished(240000) && writer.exitCode() == 0);
        db = std::make_unique<Connection>(nullptr);
        QCOMPARE(db->selectPlanList().size(), 601);
        // Every task points at an operand of its own, and the seeds are there once.
        QCOMPARE(queryColumn("select count(*) from app_position_t union all select count(*) from plan_t p join "
                             "app_position_t a on a.id = p.app_position_t and a.name = p.name "
                             "union all select count(*) from order_t"),
                 (QStringList{"600", "600", "12"}));
    }

private:
    std::unique_ptr<ScratchDirectory> scratch;
    std::unique_ptr<Connection> db;
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
