#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <memory>

class QSqlQuery;

// The one door to "database.db": schema, seed rows, the domain enumerations and every
// read and write. Rows travel as maps from column name to text.
class Connection final : public QObject
{
    Q_OBJECT
public:
    enum OrderId {
        Shutdown = 0,
        Shutdown_r = 1,
        Logoff = 2,
        LockWorkStation = 3,
        Shutdown_h = 4,
        ScreenSave = 5,
        SuspendState = 6,
        RunSoftware = 7,
        GetUrl = 8,
        OpenFile = 9,
        StopSofeware = 10,
        ShutOffNet = 11
    };
    Q_ENUM(OrderId)

    enum ExcuteTimer {
        ToTarget = 0,
        FromNow = 1,
        FromTurnOn = 2,
        FromTurnOnUntil = 3,
        FromNowInDownload = 4,
        FromNowInUpload = 5,
        IfFree = 6
    };
    Q_ENUM(ExcuteTimer)

    enum RepeatMode { Once = 0, EveryDay = 1, EveryWeek = 2, EveryMonth = 3, EveryYear = 4, More = 5 };
    Q_ENUM(RepeatMode)

    enum RepeatExcept { WithoutException = 0, ExceptSat = 1, ExceptSun = 2, ExceptWeekend = 3, NoWork = 4 };
    Q_ENUM(RepeatExcept)

    enum OperationType { Software = 0, NetAddress = 1, File = 2, StioSoftWare = 3, None = 4 };
    Q_ENUM(OperationType)

    enum EnableState { Disable = -1, NoWorking = 0, Enable = 1 };
    Q_ENUM(EnableState)

    enum SystemLogFlag { TurnOff = 0, TurnOn = 1 };
    Q_ENUM(SystemLogFlag)

    // Whether "database.db" can hold the user's tasks, as far as can be seen without writing.
    enum StorageState { Usable, CannotCreate, CannotOpen, NotADatabase, ReadOnlyFile, ReadOnlyFolder };
    Q_ENUM(StorageState)

    using Record = QMap<QString, QString>;
    using RecordList = QList<Record>;

    static const char *const DatabaseFileName;

    explicit Connection(QObject *parent);
    // A connection of its own, for a thread other than the GUI thread: made, used and dropped
    // in that thread, under a name no other thread uses.
    Connection(QObject *parent, const QString &connectionName);
    ~Connection() override;

    bool openDatabase();
    bool createTables();

    // Looks at the file without changing it; the file's contents are never touched.
    StorageState checkStorage();
    // What the user is told about a state, naming the file (or its folder); empty when usable.
    static QString storageProblemText(StorageState state, const QString &detail = QString());
    // Why the last write failed, for the user: the file's state, or the database's own words.
    QString writeFailureText();
    // The database's message for the last statement that failed.
    QString lastErrorText() const;
    static QString databasePath();

    RecordList selectPlanList();
    RecordList selectPlan(Record filter);
    RecordList selectOrder(Record filter);
    RecordList selectAppPosition(Record filter);
    RecordList selectSystemLog(Record filter);
    // The newest row that selectSystemLog would return first, without reading the others.
    RecordList selectNewestSystemLog(Record filter);

    bool insertPlan(Record values);
    bool updatePlan(Record values);
    bool deletePlan(Record values);
    bool insertSystemLog(Record values);

    // Many writes as one: all of them land, or none does.
    bool beginTransaction();
    bool commitTransaction();
    void rollbackTransaction();

private:
    struct Statement
    {
        QString text;
        QList<QPair<QString, QVariant>> bindings;
    };

    bool prepareDatabaseFile() const;
    void createAndSeed();
    bool execute(QSqlQuery &query, const Statement &statement) const;
    bool execute(const QString &text) const;
    RecordList selectRows(const Statement &statement) const;
    Statement systemLogStatement(const Record &filter, bool *valid) const;
    RecordList selectWithFilter(const QString &head, const Record &filter, const QString &joiner, const QString &tail);
    bool insertOperand(const Record &values, qlonglong *operandId) const;
    bool updateOperand(const Record &values) const;

    QString connectionName;
    QSqlDatabase handle;
    mutable QString lastError;
    // Power history is written by the thousand: its insert is prepared once per open handle.
    std::unique_ptr<QSqlQuery> systemLogInsert;
};
