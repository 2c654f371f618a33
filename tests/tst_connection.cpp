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
    return {{"name", name},
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
            {"operation_type", "4"}};
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newDatabaseHoldsTheFourTablesAndTheirSeeds();
    void createAgainKeepsWhatIsThere();
    void newDatabaseFileIsPrivate();
    void unusableFileGivesEmptyResultsAndStaysAsItWas_data();
    void unusableFileGivesEmptyResultsAndStaysAsItWas();

    void filteredSelects_data();
    void filteredSelects();
    void systemLogSelectsNewestFirstWithinBounds_data();
    void systemLogSelectsNewestFirstWithinBounds();
    void badKeysAndNumbersAreRefusedBeforeWriting();

    void firstTasksWithAndWithoutOperandGetIdOne();
    void updatePlanOperandCases();

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

void TestConnection::newDatabaseHoldsTheFourTablesAndTheirSeeds()
{
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
    for (const Record &row : db->selectOrder({})) {
        catalogue << QStringList{row.value("id"), row.value("name"), row.value("order_command"), row.value("is_file"),
                                 row.value("eng_name") + row.value("file_name")}
                         .join('|');
    }
    const QStringList expectedCatalogue = {"0|关机|shutdown -s -f|0|",
                                           "1|重启|shutdown -r |0|",
                                           "2|注销当前用户|logoff|1|",
                                           "3|系统锁定|rundll32.exe user32.dll LockWorkStation|1|",
                                           "4|电脑睡眠|shutdown -h|0|",
                                           "5|关闭显示器|%systemroot%\\system32\\scrnsave.scr /s|0|",
                                           "6|电脑待机|rundll32 powrprof.dll,SetSuspendState|0|",
                                           "7|运行软件||0|",
                                           "8|打开网址||0|",
                                           "9|打开文件|start |0|",
                                           "10|关闭软件|wmic process where name=\"%1\" delete|0|",
                                           "11|断开网络|netsh interface set interface wlan0 disabled|0|"};
    QCOMPARE(catalogue, expectedCatalogue);

    const Connection::RecordList plans = db->selectPlanList();
    QCOMPARE(plans.size(), 1);
    const Record expected = {{"id", "0"},
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
                             {"enable_state", "1"}};
    QCOMPARE(plans.first(), expected);
}

void TestConnection::createAgainKeepsWhatIsThere()
{
    QVERIFY(db->openDatabase());
    const QString dumpStatement = "select group_concat(id || '|' || name || '|' || order_command, ';') from order_t";
    const QStringList catalogue = queryColumn(dumpStatement);
    // A removed task is hidden, not deleted, and the seed does not come back.
    QVERIFY(db->deletePlan({{"id", "0"}}));
    QVERIFY(db->createTables());
    QVERIFY(db->createTables());
    QVERIFY(db->openDatabase());
    QCOMPARE(queryColumn(dumpStatement), catalogue);
    QCOMPARE(queryColumn("select count(*) from order_t"), QStringList{"12"});
    QVERIFY(db->selectPlanList().isEmpty());
    QCOMPARE(queryColumn("select enable_state from plan_t"), QStringList{"0"});
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

void TestConnection::unusableFileGivesEmptyResultsAndStaysAsItWas_data()
{
    QTest::addColumn<bool>("folder");
    // A folder cannot be opened as a database, also not by root.
    QTest::newRow("a folder in its place") << true;
    QTest::newRow("somebody's notes") << false;
}

void TestConnection::unusableFileGivesEmptyResultsAndStaysAsItWas()
{
    QFETCH(bool, folder);
    cleanup();
    scratch = std::make_unique<ScratchDirectory>();
    const QByteArray content = QByteArray("these are somebody's notes, not a database\n").repeated(200);
    if (folder) {
        QVERIFY(QDir().mkdir("database.db"));
    } else {
        QFile file("database.db");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    db = new Connection(nullptr);
    // Only the folder is refused at once; the notes are found out when they are read.
    QCOMPARE(db->createTables(), !folder);
    QVERIFY(db->selectPlanList().isEmpty());
    QVERIFY(db->selectOrder({}).isEmpty());
    QVERIFY(!db->insertPlan(taskValues()));
    QVERIFY(!db->insertSystemLog(
        {{"name", "开机"}, {"operation_time", "x"}, {"timestamp", "1"}, {"operation_index", "1"}}));
    delete db;
    db = nullptr;
    ScratchDirectory::dropDatabaseConnection();
    if (folder)
        return;
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

void TestConnection::badKeysAndNumbersAreRefusedBeforeWriting()
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

void TestConnection::valuesRoundTripUnchanged_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("single quote") << "it's";
    QTest::newRow("statement end") << "a; drop table plan_t; --";
    QTest::newRow("placeholder text") << "%1 %2 :name ?";
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
