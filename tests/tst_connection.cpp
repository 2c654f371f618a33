#include "QueryColumn.h"
#include "ScratchDirectory.h"
#include "storage/Connection.h"

#include <QFile>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

using Record = Connection::Record;

namespace {

Record taskValues(const QString &name = QStringLiteral("每天 22:00 关机"))
{
    return {
        {"name", name},
        {"eng_name", ""},
        {"order_command", ""},
        {"order_t", "0"},
        {"lease_second", "0"},
        {"timer_mode", "0"},
        {"repeat_mode", "1"},
        {"repeat_time_day_month_year_in_second", "79200"},
        {"repeat_bigger_unit", ""},
        {"repeat_except", "0"},
        {"repeat_detail_day", ""},
        {"from_1970_seconds", "1796479200"},
        {"condition_speed", "-1"},
        {"enable_state", "1"},
        {"position", ""},
        {"operation_type", "4"},
    };
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newDatabaseHoldsExactlyTheFourTables();
    void catalogueIsSeededValueForValue();
    void seedTaskIsSeededValueForValue();
    void secondCreateChangesNothing();
    void removedSeedTaskStaysRemoved();
    void newDatabaseFileIsPrivate();
    void unopenableDatabaseGivesEmptyResults();
    void foreignFileIsNeverTouched();

    void filteredSelects_data();
    void filteredSelects();
    void systemLogSelectsNewestFirstWithinBounds_data();
    void systemLogSelectsNewestFirstWithinBounds();
    void filterKeysThatAreNotColumnsAreRefused();

    void firstTasksWithAndWithoutOperandGetIdOne();
    void insertPlanRefusesNonNumbersBeforeWriting();
    void updatePlanOperandCases();
    void deletePlanHidesButKeepsTheRow();

    void valuesRoundTripUnchanged_data();
    void valuesRoundTripUnchanged();

private:
    std::unique_ptr<ScratchDirectory> scratch;
    Connection *db = nullptr;
};

void TestConnection::init()
{
    scratch = std::make_unique<ScratchDirectory>();
    db = new Connection(nullptr);
    QVERIFY(db->createTables());
}

void TestConnection::cleanup()
{
    delete db;
    db = nullptr;
    scratch.reset();
}

void TestConnection::newDatabaseHoldsExactlyTheFourTables()
{
    QVERIFY(db->openDatabase());
    const QStringList tables = queryColumn(
        "select sql from sqlite_master where type='table' and name <> 'sqlite_sequence' order by rowid");
    const QStringList expected = {
        "CREATE TABLE order_t (id INTEGER  primary key autoincrement, name varchar, eng_name varchar, "
        "is_file int, file_name varchar, order_command varchar)",
        "CREATE TABLE app_position_t (id INTEGER  primary key autoincrement, name varchar,position "
        "varchar, operation_type int, usefully int default 1)",
        "CREATE TABLE plan_t (id INTEGER  primary key autoincrement, name varchar, eng_name varchar, "
        "order_command varchar, order_t int, lease_second int, timer_mode int, repeat_mode int, "
        "repeat_time_day_month_year_in_second int, repeat_bigger_unit varchar, repeat_except int, "
        "repeat_detail_day varchar, from_1970_seconds int, condition_speed int, app_position_t int, "
        "enable_state int)",
        "CREATE TABLE system_log (id INTEGER  primary key autoincrement, name varchar, operation_time "
        "varchar, timestamp int, operation_index int)",
    };
    QCOMPARE(tables, expected);
    QCOMPARE(queryColumn("select count(*) from app_position_t"), QStringList{"0"});
    QCOMPARE(queryColumn("select count(*) from system_log"), QStringList{"0"});
}

void TestConnection::catalogueIsSeededValueForValue()
{
    const Connection::RecordList rows = db->selectOrder({});
    QCOMPARE(rows.size(), 12);
    const QStringList names = {"关机",     "重启",     "注销当前用户", "系统锁定", "电脑睡眠", "关闭显示器",
                               "电脑待机", "运行软件", "打开网址",     "打开文件", "关闭软件", "断开网络"};
    const QStringList commands = {"shutdown -s -f",
                                  "shutdown -r ",
                                  "logoff",
                                  "rundll32.exe user32.dll LockWorkStation",
                                  "shutdown -h",
                                  "%systemroot%\\system32\\scrnsave.scr /s",
                                  "rundll32 powrprof.dll,SetSuspendState",
                                  "",
                                  "",
                                  "start ",
                                  "wmic process where name=\"%1\" delete",
                                  "netsh interface set interface wlan0 disabled"};
    for (int id = 0; id < 12; ++id) {
        const Record &row = rows.at(id);
        QCOMPARE(row.value("id"), QString::number(id));
        QCOMPARE(row.value("name"), names.at(id));
        QCOMPARE(row.value("order_command"), commands.at(id));
        QCOMPARE(row.value("is_file"), QString(id == 2 || id == 3 ? "1" : "0"));
        QCOMPARE(row.value("eng_name"), QString());
        QCOMPARE(row.value("file_name"), QString());
    }
    const Connection::RecordList closeProgram = db->selectOrder({{"id", "10"}});
    QCOMPARE(closeProgram.size(), 1);
    QCOMPARE(closeProgram.first().value("order_command"), commands.at(10));
}

void TestConnection::seedTaskIsSeededValueForValue()
{
    const Connection::RecordList plans = db->selectPlanList();
    QCOMPARE(plans.size(), 1);
    const Record expected = {
        {"id", "0"},
        {"name", "电脑连续空闲10分钟后执行关闭显示器"},
        {"eng_name", ""},
        {"order_command", ""},
        {"order_t", "5"},
        {"lease_second", "600"},
        {"timer_mode", "6"},
        {"repeat_mode", "5"},
        {"repeat_time_day_month_year_in_second", "-1"},
        {"repeat_bigger_unit", "0"},
        {"repeat_except", "4"},
        {"repeat_detail_day", ""},
        {"from_1970_seconds", "0"},
        {"condition_speed", "-1"},
        {"app_position_t", "-1"},
        {"enable_state", "1"},
    };
    QCOMPARE(plans.first(), expected);
}

void TestConnection::secondCreateChangesNothing()
{
    QVERIFY(db->openDatabase());
    const QString dumpStatement = "select group_concat(id || '|' || name || '|' || order_command, ';') from order_t";
    const QStringList before = queryColumn(dumpStatement) + queryColumn("select count(*) from plan_t");
    QVERIFY(db->createTables());
    QVERIFY(db->createTables());
    QVERIFY(db->openDatabase());
    QCOMPARE(queryColumn(dumpStatement) + queryColumn("select count(*) from plan_t"), before);
    QCOMPARE(queryColumn("select count(*) from order_t"), QStringList{"12"});
}

void TestConnection::removedSeedTaskStaysRemoved()
{
    QVERIFY(db->deletePlan({{"id", "0"}}));
    QVERIFY(db->createTables());
    QVERIFY(db->selectPlanList().isEmpty());
    QVERIFY(db->openDatabase());
    QCOMPARE(queryColumn("select enable_state from plan_t where id=0"), QStringList{"0"});
}

void TestConnection::newDatabaseFileIsPrivate()
{
#ifdef Q_OS_WIN
    QSKIP("Windows guards files with access lists, not permission bits: a new file takes its folder's");
#endif
    const QFile::Permissions permissions = QFile::permissions(scratch->filePath("database.db"));
    QCOMPARE(permissions & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());
    QVERIFY(permissions & QFile::ReadOwner);
    QVERIFY(permissions & QFile::WriteOwner);
}

void TestConnection::unopenableDatabaseGivesEmptyResults()
{
    cleanup();
    scratch = std::make_unique<ScratchDirectory>();
    // A folder where the file should be: the database cannot be opened (also as root).
    QVERIFY(QDir().mkdir("database.db"));
    db = new Connection(nullptr);
    QVERIFY(!db->createTables());
    QVERIFY(db->selectPlanList().isEmpty());
    QVERIFY(db->selectOrder({}).isEmpty());
    QVERIFY(!db->insertPlan(taskValues()));
    QVERIFY(!db->insertSystemLog(
        {{"name", "开机"}, {"operation_time", "x"}, {"timestamp", "1"}, {"operation_index", "1"}}));
}

void TestConnection::foreignFileIsNeverTouched()
{
    cleanup();
    scratch = std::make_unique<ScratchDirectory>();
    QByteArray content("these are somebody's notes, not a database\n");
    content = content.repeated(200);
    {
        QFile file("database.db");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    db = new Connection(nullptr);
    db->createTables();
    QVERIFY(db->selectPlanList().isEmpty());
    QVERIFY(!db->insertPlan(taskValues()));
    delete db;
    db = nullptr;
    ScratchDirectory::dropDatabaseConnection();
    QFile file("database.db");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TestConnection::filteredSelects_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<Record>("filter");
    QTest::addColumn<QStringList>("ids");

    QTest::newRow("order by id") << "order_t" << Record{{"id", "3"}} << QStringList{"3"};
    QTest::newRow("order, whole catalogue")
        << "order_t" << Record{} << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"};
    QTest::newRow("order, two keys") << "order_t" << Record{{"id", "2"}, {"is_file", "1"}} << QStringList{"2"};
    QTest::newRow("order, keys that exclude") << "order_t" << Record{{"id", "4"}, {"is_file", "1"}} << QStringList{};
    QTest::newRow("operand by id") << "app_position_t" << Record{{"id", "3"}} << QStringList{"3"};
    QTest::newRow("plan by id") << "plan_t" << Record{{"id", "3"}} << QStringList{"3"};
    QTest::newRow("removed plan by id") << "plan_t" << Record{{"id", "2"}} << QStringList{};
    QTest::newRow("plans, empty filter keeps removed") << "plan_t" << Record{} << QStringList{"0", "1", "2", "3"};
    QTest::newRow("empty value matches nothing") << "order_t" << Record{{"id", ""}} << QStringList{};
}

void TestConnection::filteredSelects()
{
    QFETCH(QString, table);
    QFETCH(Record, filter);
    QFETCH(QStringList, ids);
    for (int i = 1; i <= 3; ++i) {
        Record task = taskValues(QStringLiteral("任务 %1").arg(i));
        task["position"] = QStringLiteral("/opt/app%1").arg(i);
        task["operation_type"] = "0";
        QVERIFY(db->insertPlan(task));
    }
    QVERIFY(db->deletePlan({{"id", "2"}}));

    Connection::RecordList rows;
    if (table == "order_t")
        rows = db->selectOrder(filter);
    else if (table == "app_position_t")
        rows = db->selectAppPosition(filter);
    else
        rows = db->selectPlan(filter);
    QStringList found;
    for (const Record &row : rows)
        found << row.value("id");
    QCOMPARE(found, ids);
}

void TestConnection::systemLogSelectsNewestFirstWithinBounds_data()
{
    QTest::addColumn<Record>("filter");
    QTest::addColumn<QStringList>("timestamps");

    QTest::newRow("all") << Record{} << QStringList{"300", "200", "150", "100", "50"};
    QTest::newRow("both ends included") << Record{{"start_timestamp", "100"}, {"end_timestamp", "200"}}
                                        << QStringList{"200", "150", "100"};
    QTest::newRow("timestamp is a lower bound") << Record{{"timestamp", "150"}} << QStringList{"300", "200", "150"};
    QTest::newRow("by flag") << Record{{"operation_index", "0"}} << QStringList{"300", "150"};
    QTest::newRow("flag within bounds") << Record{{"operation_index", "1"}, {"end_timestamp", "100"}}
                                        << QStringList{"100", "50"};
}

void TestConnection::systemLogSelectsNewestFirstWithinBounds()
{
    QFETCH(Record, filter);
    QFETCH(QStringList, timestamps);
    const QList<QPair<int, int>> events = {{100, 1}, {300, 0}, {50, 1}, {200, 1}, {150, 0}};
    for (const auto &event : events) {
        QVERIFY(db->insertSystemLog({{"name", event.second ? "开机" : "关机"},
                                     {"operation_time", "2026-12-01 08:00:00"},
                                     {"timestamp", QString::number(event.first)},
                                     {"operation_index", QString::number(event.second)}}));
    }
    QStringList found;
    for (const Record &row : db->selectSystemLog(filter))
        found << row.value("timestamp");
    QCOMPARE(found, timestamps);
}

void TestConnection::filterKeysThatAreNotColumnsAreRefused()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Filter key is not a column name"));
    QVERIFY(db->selectOrder({{"1=1 or id", "1"}}).isEmpty());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Filter key is not a column name"));
    QVERIFY(db->selectSystemLog({{"name;drop table system_log", "1"}}).isEmpty());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("updatePlan: key is not a column name"));
    QVERIFY(!db->updatePlan({{"id", "0"}, {"name' = 'x", "1"}}));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("nothing to write"));
    QVERIFY(!db->updatePlan({{"id", "0"}}));
    QCOMPARE(db->selectOrder({}).size(), 12);
}

void TestConnection::firstTasksWithAndWithoutOperandGetIdOne()
{
    QVERIFY(db->insertPlan(taskValues()));
    Connection::RecordList plans = db->selectPlan({{"id", "1"}});
    QCOMPARE(plans.size(), 1);
    QCOMPARE(plans.first().value("app_position_t"), QString("-1"));
    QVERIFY(db->selectAppPosition({}).isEmpty());

    Record withOperand = taskValues(QStringLiteral("打开网址 example.org"));
    withOperand["order_t"] = "8";
    withOperand["position"] = "example.org/path?q=1";
    withOperand["operation_type"] = "1";
    QVERIFY(db->insertPlan(withOperand));
    plans = db->selectPlan({{"id", "2"}});
    QCOMPARE(plans.first().value("app_position_t"), QString("1"));
    const Record operand = db->selectAppPosition({{"id", "1"}}).value(0);
    QCOMPARE(operand.value("position"), QString("example.org/path?q=1"));
    QCOMPARE(operand.value("operation_type"), QString("1"));
    QCOMPARE(operand.value("name"), QStringLiteral("打开网址 example.org"));
    QCOMPARE(operand.value("usefully"), QString("1"));
}

void TestConnection::insertPlanRefusesNonNumbersBeforeWriting()
{
    Record task = taskValues();
    task["position"] = "/usr/bin/true";
    task["lease_second"] = "";
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("lease_second"));
    QVERIFY(!db->insertPlan(task));
    task["lease_second"] = "10; drop table plan_t";
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("lease_second"));
    QVERIFY(!db->insertPlan(task));
    QVERIFY(db->selectAppPosition({}).isEmpty());
    QCOMPARE(db->selectPlanList().size(), 1);
}

void TestConnection::updatePlanOperandCases()
{
    QVERIFY(db->insertPlan(taskValues()));

    // No operand yet, a new one given: inserted, and the task points at it.
    QVERIFY(db->updatePlan(
        {{"id", "1"}, {"name", "运行 A"}, {"position_id", "-1"}, {"position", "/opt/a"}, {"operation_type", "0"}}));
    Record task = db->selectPlan({{"id", "1"}}).value(0);
    QCOMPARE(task.value("app_position_t"), QString("1"));
    QCOMPARE(task.value("name"), QStringLiteral("运行 A"));

    // An existing operand: rewritten in place, the task's reference unchanged.
    QVERIFY(db->updatePlan(
        {{"id", "1"}, {"name", "运行 B"}, {"position_id", "1"}, {"position", "/opt/b"}, {"operation_type", "0"}}));
    const Connection::RecordList operands = db->selectAppPosition({});
    QCOMPARE(operands.size(), 1);
    QCOMPARE(operands.first().value("position"), QString("/opt/b"));
    QCOMPARE(operands.first().value("name"), QStringLiteral("运行 B"));
    QCOMPARE(db->selectPlan({{"id", "1"}}).value(0).value("app_position_t"), QString("1"));

    // No operand and none given: only the named columns change.
    QVERIFY(db->updatePlan(
        {{"id", "0"}, {"enable_state", "1"}, {"lease_second", "900"}, {"position_id", "-1"}, {"position", ""}}));
    task = db->selectPlan({{"id", "0"}}).value(0);
    QCOMPARE(task.value("lease_second"), QString("900"));
    QCOMPARE(task.value("timer_mode"), QString("6"));
    QCOMPARE(task.value("app_position_t"), QString("-1"));
    QCOMPARE(db->selectAppPosition({}).size(), 1);
}

void TestConnection::deletePlanHidesButKeepsTheRow()
{
    QVERIFY(db->insertPlan(taskValues()));
    QVERIFY(db->deletePlan({{"id", "1"}}));
    QCOMPARE(db->selectPlanList().size(), 1);
    QVERIFY(db->selectPlan({{"id", "1"}}).isEmpty());
    QVERIFY(db->openDatabase());
    QCOMPARE(queryColumn("select enable_state from plan_t where id=1"), QStringList{"0"});
}

void TestConnection::valuesRoundTripUnchanged_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("single quote") << "it's";
    QTest::newRow("double quote") << "say \"hi\"";
    QTest::newRow("statement end") << "a; drop table plan_t; --";
    QTest::newRow("placeholder text") << "%1 %2 :name ?";
    QTest::newRow("Chinese") << "电脑连续空闲10分钟后执行关闭显示器";
    QTest::newRow("newline and tab") << "line one\nline\ttwo";
    QTest::newRow("emoji") << "⏰ 🐱";
    QTest::newRow("10,000 characters") << QString(10000, QChar(0x4E2D));
}

void TestConnection::valuesRoundTripUnchanged()
{
    QFETCH(QString, value);
    Record task = taskValues(value);
    task["repeat_detail_day"] = value;
    task["position"] = value;
    task["operation_type"] = "2";
    QVERIFY(db->insertPlan(task));
    Record stored = db->selectPlan({{"id", "1"}}).value(0);
    QCOMPARE(stored.value("name"), value);
    QCOMPARE(stored.value("repeat_detail_day"), value);
    QCOMPARE(db->selectAppPosition({{"id", "1"}}).value(0).value("position"), value);

    QVERIFY(db->updatePlan(
        {{"id", "1"}, {"eng_name", value}, {"position_id", "1"}, {"position", value + "!"}, {"name", value}}));
    stored = db->selectPlan({{"id", "1"}}).value(0);
    QCOMPARE(stored.value("eng_name"), value);
    QCOMPARE(db->selectAppPosition({{"id", "1"}}).value(0).value("position"), value + "!");

    QVERIFY(db->insertSystemLog(
        {{"name", value}, {"operation_time", value}, {"timestamp", "7"}, {"operation_index", "1"}}));
    const Record log = db->selectSystemLog({}).value(0);
    QCOMPARE(log.value("name"), value);
    QCOMPARE(log.value("operation_time"), value);
    QCOMPARE(db->selectOrder({}).size(), 12);
}

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
