#include "ScratchDirectory.h"
#include "storage/Connection.h"

#include <QProcess>
#include <QtTest>

// Two instances of the program share one database file.
class TestConcurrentInsert : public QObject
{
    Q_OBJECT

private slots:
    void twoInstancesInsertingAtOnceLoseNothing();
};

void TestConcurrentInsert::twoInstancesInsertingAtOnceLoseNothing()
{
    ScratchDirectory scratch;
    const QString helper = QCoreApplication::applicationDirPath() + "/insert_tasks";
    QProcess first;
    QProcess second;
    for (QProcess *process : {&first, &second}) {
        process->setWorkingDirectory(scratch.path());
        process->setProcessChannelMode(QProcess::ForwardedChannels);
    }
    first.start(helper, {"300", "first"});
    second.start(helper, {"300", "second"});
    QVERIFY(first.waitForFinished(240000));
    QVERIFY(second.waitForFinished(240000));
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);

    Connection connection(nullptr);
    const Connection::RecordList plans = connection.selectPlanList();
    QCOMPARE(plans.size(), 601);
    QHash<QString, QString> operandNames;
    for (const Connection::Record &operand : connection.selectAppPosition({}))
        operandNames.insert(operand.value("id"), operand.value("name"));
    QCOMPARE(operandNames.size(), 600);
    int mismatched = 0;
    for (const Connection::Record &plan : plans) {
        if (plan.value("id") != "0" && operandNames.value(plan.value("app_position_t")) != plan.value("name"))
            ++mismatched;
    }
    QCOMPARE(mismatched, 0);
    QCOMPARE(connection.selectOrder({}).size(), 12);
}

QTEST_GUILESS_MAIN(TestConcurrentInsert)
#include "tst_concurrent_insert.moc"
