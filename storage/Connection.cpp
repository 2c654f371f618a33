#include "storage/Connection.h"

#include "storage/RecordKeys.h"
#include "storage/SqlValues.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

const char *const Connection::DatabaseFileName = "database.db";

namespace {

const char *const CreateOrderTable =
    "create table order_t (id INTEGER  primary key autoincrement, name varchar, eng_name varchar, "
    "is_file int, file_name varchar, order_command varchar)";
const char *const CreateAppPositionTable =
    "create table app_position_t (id INTEGER  primary key autoincrement, name varchar,position "
    "varchar, operation_type int, usefully int default 1)";
const char *const CreatePlanTable =
    "create table plan_t (id INTEGER  primary key autoincrement, name varchar, eng_name varchar, "
    "order_command varchar, order_t int, lease_second int, timer_mode int, repeat_mode int, "
    "repeat_time_day_month_year_in_second int, repeat_bigger_unit varchar, repeat_except int, "
    "repeat_detail_day varchar, from_1970_seconds int, condition_speed int, app_position_t int, "
    "enable_state int)";
const char *const CreateSystemLogTable =
    "create table system_log (id INTEGER  primary key autoincrement, name varchar, operation_time "
    "varchar, timestamp int, operation_index int)";

const char *const OrderSeedRows[] = {
    "insert into order_t values (0,'关机','',0,'','shutdown -s -f')",
    "insert into order_t values (1,'重启','',0,'','shutdown -r ')",
    "insert into order_t values (2,'注销当前用户','',1,'','logoff')",
    "insert into order_t values (3,'系统锁定','',1,'','rundll32.exe user32.dll LockWorkStation')",
    "insert into order_t values (4,'电脑睡眠','',0,'','shutdown -h')",
    "insert into order_t values (5,'关闭显示器','',0,'','%systemroot%\\system32\\scrnsave.scr /s')",
    "insert into order_t values (6,'电脑待机','',0,'','rundll32 powrprof.dll,SetSuspendState')",
    "insert into order_t values (7,'运行软件','',0,'','')",
    "insert into order_t values (8,'打开网址','',0,'','')",
    "insert into order_t values (9,'打开文件','',0,'','start ')",
    "insert into order_t values (10,'关闭软件','',0,'','wmic process where name=\"%1\" delete')",
    "insert into order_t values (11,'断开网络','',0,'','netsh interface set interface wlan0 disabled')",
};

const char *const PlanSeedRow =
    "insert into plan_t values (0,'电脑连续空闲10分钟后执行关闭显示器','','',5, 600,6,5,-1,'0',4,'', 0,-1,-1, 1)";

// The task columns of an insert, in the order of the statement.
const QStringList &planInsertColumns()
{
    static const QStringList columns = {
        Column::Name,
        Column::EngName,
        Column::OrderCommand,
        Column::OrderT,
        Column::LeaseSecond,
        Column::TimerMode,
        Column::RepeatMode,
        Column::RepeatTimeDayMonthYearInSecond,
        Column::RepeatBiggerUnit,
        Column::RepeatExcept,
        Column::RepeatDetailDay,
        Column::From1970Seconds,
        Column::ConditionSpeed,
        Column::AppPositionT,
        Column::EnableState,
    };
    return columns;
}

QStringList integerColumnsOf(const QStringList &columns)
{
    QStringList result;
    for (const QString &column : columns) {
        if (SqlValues::isIntegerColumn(column))
            result << column;
    }
    return result;
}

QString placeholder(int index)
{
    return QStringLiteral(":v%1").arg(index);
}

} // namespace

Connection::Connection(QObject *parent)
    : QObject(parent)
    , connectionName(QString::fromLatin1(QSqlDatabase::defaultConnection))
{ }

Connection::Connection(QObject *parent, const QString &name)
    : QObject(parent)
    , connectionName(name)
{ }

// The default handle is a copy of the process-wide default connection; dropping it leaves
// that connection as it is for the other objects. A named one goes with its object.
Connection::~Connection()
{
    if (connectionName == QLatin1String(QSqlDatabase::defaultConnection))
        return;
    systemLogInsert.reset();
    handle.close();
    handle = QSqlDatabase();
    if (QSqlDatabase::contains(connectionName))
        QSqlDatabase::removeDatabase(connectionName);
}

bool Connection::prepareDatabaseFile() const
{
    // The file holds command texts that the program runs, so a new one is readable and
    // writable by its owner only. An existing file keeps the permissions it has.
    QFile file(QString::fromLatin1(DatabaseFileName));
    if (QFileInfo::exists(file.fileName()))
        return true;
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        // Another instance starting at the same moment made it first: use theirs.
        if (QFileInfo::exists(file.fileName()))
            return true;
        lastError = file.errorString();
        qWarning() << "Cannot create" << file.fileName() << ":" << lastError;
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.close();
    return true;
}

bool Connection::openDatabase()
{
    if (handle.isOpen())
        return true;
    if (QSqlDatabase::contains(connectionName)) {
        handle = QSqlDatabase::database(connectionName, false);
    } else {
        handle = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        handle.setDatabaseName(QString::fromLatin1(DatabaseFileName));
        handle.setHostName(QStringLiteral("localhost"));
        handle.setUserName(QStringLiteral("tickvale"));
        handle.setPassword(QStringLiteral("tickvale"));
        // Another instance may be writing to the same file: wait for it instead of failing.
        handle.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    if (handle.isOpen())
        return true;
    if (!prepareDatabaseFile())
        return false;
    if (!handle.open()) {
        lastError = handle.lastError().text();
        qWarning() << "Cannot open" << DatabaseFileName << ":" << lastError;
        return false;
    }
    // Connections of two threads may open at once.
    static std::atomic<bool> readOnlyReported{false};
    if (!readOnlyReported && !QFileInfo(QString::fromLatin1(DatabaseFileName)).isWritable()) {
        readOnlyReported = true;
        qWarning() << DatabaseFileName << "is read-only: tasks and history cannot be saved";
    }
    return true;
}

bool Connection::execute(QSqlQuery &query, const Statement &statement) const
{
    if (!query.prepare(statement.text)) {
        lastError = query.lastError().text();
        qWarning() << "Statement rejected:" << statement.text << lastError;
        return false;
    }
    for (const auto &binding : statement.bindings)
        query.bindValue(binding.first, binding.second);
    if (!query.exec()) {
        lastError = query.lastError().text();
        qWarning() << "Statement failed:" << statement.text << lastError;
        return false;
    }
    return true;
}

QString Connection::databasePath()
{
    return QFileInfo(QString::fromLatin1(DatabaseFileName)).absoluteFilePath();
}

QString Connection::lastErrorText() const
{
    return lastError;
}

Connection::StorageState Connection::checkStorage()
{
    const QFileInfo file(databasePath());
    if (!openDatabase())
        return file.exists() ? CannotOpen : CannotCreate;
    // SQLite opens any file; only reading it shows whether it is a database at all.
    QSqlQuery probe(handle);
    if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
        lastError = probe.lastError().text();
        const bool foreign = probe.lastError().nativeErrorCode() == QLatin1String("26")
            || lastError.contains(QLatin1String("not a database"));
        qWarning() << DatabaseFileName << "cannot be read:" << lastError;
        return foreign ? NotADatabase : CannotOpen;
    }
    if (!file.isWritable())
        return ReadOnlyFile;
    // Every write needs a journal file beside the database.
    if (!QFileInfo(file.absolutePath()).isWritable())
        return ReadOnlyFolder;
    return Usable;
}

QString Connection::storageProblemText(StorageState state, const QString &detail)
{
    const QString path = databasePath();
    switch (state) {
    case Usable:
        return QString();
    case CannotCreate:
        return QStringLiteral("无法在文件夹%1中创建数据库文件database.db,任务无法保存。")
            .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    case CannotOpen:
        return QStringLiteral("无法打开数据库文件%1:%2").arg(QDir::toNativeSeparators(path), detail);
    case NotADatabase:
        return QStringLiteral("文件%1不是本程序能读取的数据库,任务无法读取和保存。该文件保持原样,未作任何改动。")
            .arg(QDir::toNativeSeparators(path));
    case ReadOnlyFile:
        return QStringLiteral("数据库文件%1是只读的,任务的添加、修改和删除无法保存。")
            .arg(QDir::toNativeSeparators(path));
    case ReadOnlyFolder:
        return QStringLiteral("数据库文件%1所在的文件夹不可写,任务的添加、修改和删除无法保存。")
            .arg(QDir::toNativeSeparators(path));
    }
    return QString();
}

QString Connection::writeFailureText()
{
    const QString failure = lastError;
    const StorageState state = checkStorage();
    if (state != Usable)
        return storageProblemText(state, failure);
    return QStringLiteral("写入数据库文件%1失败:%2").arg(QDir::toNativeSeparators(databasePath()), failure);
}

bool Connection::execute(const QString &text) const
{
    QSqlQuery query(handle);
    return execute(query, Statement{text, {}});
}

bool Connection::createTables()
{
    if (!openDatabase())
        return false;
    // One writer at a time: two first starts on one file must not both seed it.
    const bool inTransaction = execute(QStringLiteral("BEGIN IMMEDIATE"));
    createAndSeed();
    if (inTransaction && !execute(QStringLiteral("COMMIT")))
        execute(QStringLiteral("ROLLBACK"));
    systemLogInsert.reset();
    handle.close();
    return true;
}

void Connection::createAndSeed()
{
    auto tableMissing = [this](const QString &statement) {
        QSqlQuery query(handle);
        if (!execute(query, Statement{statement, {}}) || !query.next())
            return false;
        return query.value(0).toLongLong() == 0;
    };

    if (tableMissing(QStringLiteral("select count(*) from sqlite_master where type='table' and name='order_t';"))) {
        execute(QString::fromUtf8(CreateOrderTable));
        for (const char *row : OrderSeedRows)
            execute(QString::fromUtf8(row));
    }
    // Fails harmlessly when the table is already there.
    QSqlQuery(handle).exec(QString::fromUtf8(CreateAppPositionTable));
    if (tableMissing(QStringLiteral("select count(*) from sqlite_master where type='table' and name='%1'")
                         .arg(QStringLiteral("plan_t")))) {
        execute(QString::fromUtf8(CreatePlanTable));
        execute(QString::fromUtf8(PlanSeedRow));
    }
    QSqlQuery(handle).exec(QString::fromUtf8(CreateSystemLogTable));
}

Connection::RecordList Connection::selectRows(const Statement &statement) const
{
    RecordList rows;
    QSqlQuery query(handle);
    if (!execute(query, statement))
        return rows;
    while (query.next()) {
        const QSqlRecord fields = query.record();
        Record row;
        for (int i = 0; i < fields.count(); ++i)
            row.insert(fields.fieldName(i), fields.value(i).toString());
        rows.append(row);
    }
    return rows;
}

Connection::RecordList Connection::selectWithFilter(const QString &head, const Record &filter, const QString &joiner,
                                                    const QString &tail)
{
    if (!openDatabase())
        return {};
    if (filter.isEmpty())
        return selectRows(Statement{head, {}});

    Statement statement{head + QStringLiteral("where "), {}};
    int index = 0;
    for (auto it = filter.cbegin(); it != filter.cend(); ++it, ++index) {
        if (!SqlValues::isIdentifier(it.key())) {
            qWarning() << "Filter key is not a column name:" << it.key();
            return {};
        }
        statement.text += it.key() + QLatin1Char('=') + placeholder(index);
        statement.bindings.append({placeholder(index), SqlValues::bindValue(it.key(), it.value())});
        if (std::next(it) != filter.cend())
            statement.text += joiner;
    }
    statement.text += tail + QLatin1Char(';');
    return selectRows(statement);
}

Connection::RecordList Connection::selectPlanList()
{
    if (!openDatabase())
        return {};
    return selectRows(Statement{QStringLiteral("SELECT * FROM plan_t WHERE enable_state <> 0 ;"), {}});
}

Connection::RecordList Connection::selectPlan(Record filter)
{
    return selectWithFilter(QStringLiteral("SELECT * FROM plan_t "), filter, QStringLiteral(" AND "),
                            QStringLiteral(" AND enable_state <> 0 "));
}

Connection::RecordList Connection::selectOrder(Record filter)
{
    return selectWithFilter(QStringLiteral("SELECT * FROM order_t "), filter, QStringLiteral(" and "), QString());
}

Connection::RecordList Connection::selectAppPosition(Record filter)
{
    return selectWithFilter(QStringLiteral("select * from app_position_t "), filter, QStringLiteral(" and "),
                            QString());
}

Connection::Statement Connection::systemLogStatement(const Record &filter, bool *valid) const
{
    *valid = true;
    Statement statement{QStringLiteral("select * from system_log "), {}};
    if (!filter.isEmpty()) {
        QStringList conditions;
        int index = 0;
        for (auto it = filter.cbegin(); it != filter.cend(); ++it, ++index) {
            QString condition;
            if (it.key() == QLatin1String("start_timestamp") || it.key() == Column::Timestamp)
                condition = QStringLiteral("%1 >=").arg(Column::Timestamp);
            else if (it.key() == QLatin1String("end_timestamp"))
                condition = QStringLiteral("%1 <=").arg(Column::Timestamp);
            else if (SqlValues::isIdentifier(it.key()))
                condition = QStringLiteral("%1 =").arg(it.key());
            else {
                qWarning() << "Filter key is not a column name:" << it.key();
                *valid = false;
                return statement;
            }
            conditions << condition + placeholder(index);
            const QString column = it.key().endsWith(Column::Timestamp) ? Column::Timestamp : it.key();
            statement.bindings.append({placeholder(index), SqlValues::bindValue(column, it.value())});
        }
        statement.text += QStringLiteral("where ") + conditions.join(QStringLiteral(" and "));
    }
    statement.text += QStringLiteral(" order by timestamp desc");
    return statement;
}

Connection::RecordList Connection::selectSystemLog(Record filter)
{
    if (!openDatabase())
        return {};
    bool valid = false;
    const Statement statement = systemLogStatement(filter, &valid);
    return valid ? selectRows(statement) : RecordList();
}

Connection::RecordList Connection::selectNewestSystemLog(Record filter)
{
    if (!openDatabase())
        return {};
    bool valid = false;
    Statement statement = systemLogStatement(filter, &valid);
    statement.text += QStringLiteral(" limit 1");
    return valid ? selectRows(statement) : RecordList();
}

bool Connection::insertOperand(const Record &values, qlonglong *operandId) const
{
    QSqlQuery query(handle);
    const Statement statement{QStringLiteral("insert into app_position_t (name, position, operation_type) values "
                                             "(:name, :position, :operation_type);"),
                              {{QStringLiteral(":name"), values.value(Column::Name)},
                               {QStringLiteral(":position"), values.value(Column::Position)},
                               {QStringLiteral(":operation_type"),
                                SqlValues::bindValue(Column::OperationType, values.value(Column::OperationType))}}};
    if (!execute(query, statement))
        return false;
    // The id of this very insert: another instance may have added a row since.
    *operandId = query.lastInsertId().toLongLong();
    return true;
}

bool Connection::insertPlan(Record values)
{
    if (!openDatabase())
        return false;
    const bool hasOperand = !values.value(Column::Position).isEmpty();
    QStringList integerColumns = integerColumnsOf(planInsertColumns());
    integerColumns.removeAll(Column::AppPositionT);
    if (hasOperand)
        integerColumns << Column::OperationType;
    const QString bad = SqlValues::firstBadInteger(integerColumns,
                                                   [&values](const QString &column) { return values.value(column); });
    if (!bad.isEmpty()) {
        qWarning() << "insertPlan: column" << bad << "holds no whole number:" << values.value(bad);
        return false;
    }

    qlonglong operandId = -1;
    if (hasOperand && !insertOperand(values, &operandId))
        return false;

    values.insert(Column::AppPositionT, QString::number(operandId));
    Statement statement{QStringLiteral("insert into plan_t (") + planInsertColumns().join(QStringLiteral(", "))
                            + QStringLiteral(") values ("),
                        {}};
    QStringList placeholders;
    for (int i = 0; i < planInsertColumns().size(); ++i) {
        const QString &column = planInsertColumns().at(i);
        placeholders << placeholder(i);
        statement.bindings.append({placeholder(i), SqlValues::bindValue(column, values.value(column))});
    }
    statement.text += placeholders.join(QStringLiteral(", ")) + QLatin1Char(')');
    QSqlQuery query(handle);
    return execute(query, statement);
}

bool Connection::updateOperand(const Record &values) const
{
    QSqlQuery query(handle);
    const Statement statement{
        QStringLiteral("UPDATE app_position_t SET position = :position , name = :name WHERE id = :id;"),
        {{QStringLiteral(":id"), SqlValues::bindValue(Column::Id, values.value(RecordKey::PositionId))},
         {QStringLiteral(":position"), values.value(Column::Position)},
         {QStringLiteral(":name"), values.value(Column::Name)}}};
    return execute(query, statement);
}

bool Connection::updatePlan(Record values)
{
    if (!openDatabase())
        return false;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!SqlValues::isIdentifier(it.key())) {
            qWarning() << "updatePlan: key is not a column name:" << it.key();
            return false;
        }
        if (it.key() != RecordKey::PositionId && it.key() != Column::OperationType
            && SqlValues::isIntegerColumn(it.key()) && !SqlValues::isWholeNumber(it.value())) {
            qWarning() << "updatePlan: column" << it.key() << "holds no whole number:" << it.value();
            return false;
        }
    }

    const int positionId = values.value(RecordKey::PositionId).toInt();
    const bool hasPosition = !values.value(Column::Position).isEmpty();
    qlonglong insertedOperand = -1;
    if (positionId == -1 && hasPosition) {
        if (!insertOperand(values, &insertedOperand))
            return false;
    } else if (positionId != -1 && !updateOperand(values)) {
        return false;
    }

    Statement statement{QStringLiteral("UPDATE plan_t SET "), {}};
    QStringList assignments;
    int index = 0;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString &key = it.key();
        if (key == Column::Id || key == Column::OperationType || key == Column::Position)
            continue;
        if (key == RecordKey::PositionId) {
            if (insertedOperand != -1) {
                assignments << QStringLiteral("app_position_t =") + placeholder(index);
                statement.bindings.append({placeholder(index++), insertedOperand});
            }
            continue;
        }
        assignments << QStringLiteral("\"%1\" =").arg(key) + placeholder(index);
        statement.bindings.append({placeholder(index++), SqlValues::bindValue(key, it.value())});
    }
    if (assignments.isEmpty()) {
        qWarning() << "updatePlan: nothing to write for task" << values.value(Column::Id);
        return false;
    }
    statement.text += assignments.join(QStringLiteral(" ,")) + QStringLiteral("  where id=:id");
    statement.bindings.append({QStringLiteral(":id"), SqlValues::bindValue(Column::Id, values.value(Column::Id))});
    QSqlQuery query(handle);
    return execute(query, statement);
}

bool Connection::deletePlan(Record values)
{
    if (!openDatabase())
        return false;
    QSqlQuery query(handle);
    return execute(query,
                   Statement{QStringLiteral("UPDATE plan_t SET enable_state = 0 WHERE id = :id;"),
                             {{QStringLiteral(":id"), values.value(Column::Id)}}});
}

bool Connection::insertSystemLog(Record values)
{
    if (!openDatabase())
        return false;
    const QStringList integerColumns = {Column::Timestamp, Column::OperationIndex};
    const QString bad = SqlValues::firstBadInteger(integerColumns,
                                                   [&values](const QString &column) { return values.value(column); });
    if (!bad.isEmpty()) {
        qWarning() << "insertSystemLog: column" << bad << "holds no whole number:" << values.value(bad);
        return false;
    }
    const QString text = QStringLiteral("insert into system_log (name, operation_time, timestamp, operation_index) "
                                        "values (:name, :operation_time, :timestamp, :operation_index)");
    if (!systemLogInsert) {
        systemLogInsert = std::make_unique<QSqlQuery>(handle);
        if (!systemLogInsert->prepare(text)) {
            qWarning() << "Statement rejected:" << text << systemLogInsert->lastError().text();
            systemLogInsert.reset();
            return false;
        }
    }
    for (const QString &key : {Column::Name, Column::OperationTime, Column::Timestamp, Column::OperationIndex}) {
        systemLogInsert->bindValue(QLatin1Char(':') + key, SqlValues::bindValue(key, values.value(key)));
    }
    if (!systemLogInsert->exec()) {
        qWarning() << "Statement failed:" << text << systemLogInsert->lastError().text();
        return false;
    }
    return true;
}

bool Connection::beginTransaction()
{
    return openDatabase() && execute(QStringLiteral("BEGIN IMMEDIATE"));
}

bool Connection::commitTransaction()
{
    if (execute(QStringLiteral("COMMIT")))
        return true;
    rollbackTransaction();
    return false;
}

void Connection::rollbackTransaction()
{
    execute(QStringLiteral("ROLLBACK"));
}
