#include "e2e/ProgramSession.h"
#include "e2e/SessionDatabase.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include <signal.h>
#include <unistd.h>

namespace {

QByteArray digestOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

// A list of boots as the journal prints it: `count` finished boots, one an hour.
QByteArray bootList(int count)
{
    QByteArray json = "[";
    const qint64 start = Q_INT64_C(1500000000) * 1000000;
    for (int i = 0; i < count; ++i) {
        const qint64 first = start + qint64(i) * 3600 * 1000000;
        json += QStringLiteral("%1{\"index\":%2,\"boot_id\":\"%3\",\"first_entry\":%4,\"last_entry\":%5}")
                    .arg(i ? "," : "")
                    .arg(i - count + 1)
                    .arg(i, 32, 16, QChar('0'))
                    .arg(first)
                    .arg(first + 1800 * Q_INT64_C(1000000))
                    .toUtf8();
    }
    return json + "]";
}

} // namespace

// The real program under faults and bad input: nothing lost, nothing run that should not be.
class TestEndToEndFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void foreignDatabaseFileIsLeftAlone();
    void readOnlyDatabaseAndUnwritableFolder_data();
    void readOnlyDatabaseAndUnwritableFolder();
    void killedDuringGatheringLosesNothingAndDuplicatesNothing();
    void twoInstancesAddingTasksAtOnce();
    void awkwardTextIsStoredAndNeverRun();
    void startsWithoutItsHelpers_data();
    void startsWithoutItsHelpers();

private:
    MockSystemBus bus;
};

void TestEndToEndFaults::initTestCase()
{
    if (!VirtualDisplay::toolsPresent() || !MockSystemBus::toolsPresent())
        QSKIP("Xvfb, xdotool, dbus-daemon and python3-dbusmock are needed (scripts/test.sh installs them)");
    QVERIFY(bus.start());
    QVERIFY(bus.startMock("logind", "org.freedesktop.login1"));
}

void TestEndToEndFaults::foreignDatabaseFileIsLeftAlone()
{
    ProgramSession program;
    QVERIFY(program.startDisplay(171));
    QFile foreign(program.path("database.db"));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    QByteArray noise(8192, '\0');
    QRandomGenerator generator(42);
    for (char &byte : noise)
        byte = char(generator.bounded(256));
    foreign.write(noise);
    foreign.close();
    const QByteArray before = digestOf(program.path("database.db"));
    QVERIFY(program.start(bus.address()));
    QVERIFY2(!program.waitForWindow().isEmpty(), qPrintable(program.output()));
    QTest::qWait(1000);
    QVERIFY(program.running());
    QCOMPARE(digestOf(program.path("database.db")), before);
    QVERIFY2(program.output().contains("file is not a database"), qPrintable(program.output()));
    // The user is told, over the window.
    QVERIFY2(!program.waitForWindow("^提示$", 5000).isEmpty(), qPrintable(program.output()));
}

void TestEndToEndFaults::readOnlyDatabaseAndUnwritableFolder_data()
{
    QTest::addColumn<bool>("withDatabase");
    QTest::newRow("read-only database") << true;
    QTest::newRow("folder that cannot be written") << false;
}

void TestEndToEndFaults::readOnlyDatabaseAndUnwritableFolder()
{
    QFETCH(bool, withDatabase);
    if (geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("runs the program as an unprivileged user, which needs root and setpriv");
    const QStringList asNobody = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    if (QProcess::execute(asNobody.first(), asNobody.mid(1) + QStringList{"test", "-x", TICKVALE_PROGRAM}) != 0)
        QSKIP("the unprivileged user cannot reach the built program from this folder");
    ProgramSession program;
    QVERIFY(program.startDisplay(181));
    // A folder the unprivileged user may enter and read but not write.
    const QString folder = program.path("locked");
    QVERIFY(QDir().mkpath(folder));
    QFile::setPermissions(program.path("."),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(folder,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QByteArray before;
    if (withDatabase) {
        {
            SessionDatabase database(folder);
            QVERIFY(database.db().createTables());
        }
        QFile::setPermissions(folder + "/database.db", QFile::ReadOwner | QFile::ReadOther);
        before = digestOf(folder + "/database.db");
    }
    QVERIFY(program.start(QString(), asNobody, folder));
    QVERIFY2(!program.waitForWindow().isEmpty(), qPrintable(program.output()));
    QTest::qWait(1000);
    QVERIFY(program.running());
    QVERIFY2(!program.waitForWindow("^提示$", 5000).isEmpty(), qPrintable(program.output()));
    if (withDatabase) {
        QCOMPARE(digestOf(folder + "/database.db"), before);
        QVERIFY2(program.output().contains("is read-only"), qPrintable(program.output()));
        QVERIFY2(program.output().contains("ReadOnlyFile"), qPrintable(program.output()));
    } else {
        QVERIFY(!QFile::exists(folder + "/database.db"));
        QVERIFY2(program.output().contains("Cannot create"), qPrintable(program.output()));
    }
}

void TestEndToEndFaults::killedDuringGatheringLosesNothingAndDuplicatesNothing()
{
    ProgramSession program;
    QVERIFY(program.startDisplay(191));
    const int boots = 60000;
    QFile list(program.path("boots.json"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(bootList(boots));
    list.close();
    program.addTool("journalctl", QStringLiteral("cat \"%1\"").arg(program.path("boots.json")));
    {
        SessionDatabase database(program.path("."));
        QVERIFY(database.db().createTables());
    }
    QVERIFY(program.start(bus.address()));
    // The gathering's transaction is under way once its journal file appears.
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(program.path("database.db-journal")) && clock.elapsed() < 30000)
        QThread::usleep(500);
    QVERIFY(QFile::exists(program.path("database.db-journal")));
    QThread::msleep(150);
    kill(pid_t(program.pid()), SIGKILL);
    QVERIFY(program.waitForExit(5000));
    {
        SessionDatabase database(program.path("."));
        QCOMPARE(database.column("select count(*) from system_log"), QStringList{"0"});
    }
    ProgramSession again;
    QVERIFY(again.startDisplay(201));
    again.addTool("journalctl", QStringLiteral("cat \"%1\"").arg(program.path("boots.json")));
    QVERIFY(again.start(bus.address(), {}, program.path(".")));
    QVERIFY2(!again.waitForWindow("^TickvalePro$", 60000).isEmpty(), qPrintable(again.output()));
    // The window is up before the history is in; the gathering ends on its own.
    SessionDatabase database(program.path("."));
    QTRY_COMPARE_WITH_TIMEOUT(database.column("select count(*) from system_log"),
                              QStringList{QString::number(2 * boots)}, 60000);
    QCOMPARE(database.column("select count(*) from (select distinct operation_time, operation_index from system_log)"),
             QStringList{QString::number(2 * boots)});
}

void TestEndToEndFaults::twoInstancesAddingTasksAtOnce()
{
    // One user runs one program per folder; two users may run one each on the same file.
    if (geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("runs the second program as another user, which needs root and setpriv");
    const QStringList asNobody = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    if (QProcess::execute(asNobody.first(), asNobody.mid(1) + QStringList{"test", "-x", TICKVALE_PROGRAM}) != 0)
        QSKIP("the unprivileged user cannot reach the built program from this folder");
    ProgramSession first;
    ProgramSession second;
    QVERIFY(first.startDisplay(211));
    QVERIFY(second.startDisplay(221));
    {
        SessionDatabase database(first.path("."));
        QVERIFY(database.db().createTables());
    }
    const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup;
    QFile::setPermissions(first.path("."), everyone);
    QFile::setPermissions(first.path("database.db"), everyone);
    QVERIFY(first.start(bus.address()));
    QVERIFY(!first.waitForWindow().isEmpty());
    QVERIFY(second.start(bus.address(), asNobody, first.path(".")));
    QVERIFY(!second.waitForWindow().isEmpty());
    int minutes = 10;
    for (ProgramSession *program : {&first, &second}) {
        program->click(ProgramSession::addTaskButton(), 800);
        QVERIFY(!program->waitForWindow("^任务描述$", 5000).isEmpty());
        program->fillCountdown("5", QString::number(minutes++));
    }
    // Both confirm at the same moment.
    QProcess clickFirst;
    QProcess clickSecond;
    for (auto pair : {qMakePair(&clickFirst, &first), qMakePair(&clickSecond, &second)}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", pair.second->display().displayName());
        pair.first->setProcessEnvironment(environment);
    }
    auto press = [](ProgramSession &program) {
        const QPoint confirm = program.inEditor(ProgramSession::editorConfirm());
        return QStringList{"mousemove", QString::number(confirm.x()), QString::number(confirm.y()), "click", "1"};
    };
    const QStringList pressFirst = press(first);
    const QStringList pressSecond = press(second);
    clickFirst.start("xdotool", pressFirst);
    clickSecond.start("xdotool", pressSecond);
    QVERIFY(clickFirst.waitForFinished(5000));
    QVERIFY(clickSecond.waitForFinished(5000));
    QVERIFY(first.answerStartQuestion(false));
    QVERIFY(second.answerStartQuestion(false));
    SessionDatabase database(first.path("."));
    QStringList names = database.column("select name from plan_t where id > 0");
    names.sort();
    QCOMPARE(names, (QStringList{"从现在开始5小时10分后关机", "从现在开始5小时11分后关机"}));
}

void TestEndToEndFaults::awkwardTextIsStoredAndNeverRun()
{
    ProgramSession program;
    QVERIFY(program.startDisplay(231));
    program.addTool("xdg-open", "printf '%s\\n' \"$@\" >> \"$(dirname \"$0\")/../opened.txt\"");
    QVERIFY(program.start(bus.address()));
    QVERIFY(!program.waitForWindow().isEmpty());
    const QString awkward = QStringLiteral("example.org/a\"b'c;%1?q=$(touch CANARY)&r=`touch CANARY2`&s=中文");
    QVERIFY(QUrl::fromUserInput(awkward).isValid());
    program.click(ProgramSession::addTaskButton(), 800);
    QVERIFY(!program.waitForWindow("^任务描述$", 5000).isEmpty());
    program.click(program.inEditor(ProgramSession::editorActionList()), 500);
    program.key({"Down", "Down", "Down", "Down", "Down", "Down", "Down", "Down", "Return"}, 800);
    QVERIFY(!program.waitForWindow("^请输入网址$", 5000).isEmpty());
    program.click(program.inWindow("^请输入网址$", ProgramSession::addressInput()), 200);
    program.type(awkward, 800, 120);
    program.click(program.inWindow("^请输入网址$", ProgramSession::addressConfirm()), 500);
    // "累计开机" 0 hours 1 minute: the running time of the day is past a minute, so it runs at once.
    program.fillCountdown("0", "1", 2);
    program.click(program.inEditor(ProgramSession::editorConfirm()), 600);
    QVERIFY(program.answerStartQuestion(true));
    QFile opened(program.path("opened.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(opened.exists(), 10000);
    QTest::qWait(500);
    {
        SessionDatabase database(program.path("."));
        QCOMPARE(database.column("select position from app_position_t"), QStringList{awkward});
        QCOMPARE(database.column("select name from plan_t where id=1"), QStringList{"全天累计开机0小时1分后打开网址"});
    }
    QVERIFY(opened.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(opened.readAll()).trimmed(), QUrl::fromUserInput(awkward).toString(QUrl::FullyEncoded));
    QVERIFY(!QFile::exists(program.path("CANARY")));
    QVERIFY(!QFile::exists(program.path("CANARY2")));
}

void TestEndToEndFaults::startsWithoutItsHelpers_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("hung event tool") << "hung";
    QTest::newRow("no event tool") << "missing";
    QTest::newRow("no system bus") << "nobus";
}

void TestEndToEndFaults::startsWithoutItsHelpers()
{
    QFETCH(QString, fault);
    ProgramSession program;
    QVERIFY(program.startDisplay(241));
    QString searchPath;
    if (fault == "hung")
        program.addTool("journalctl", "exec sleep 600");
    if (fault == "missing")
        searchPath = program.path("bin");
    QVERIFY(program.start(fault == "nobus" ? QString() : bus.address(), {}, QString(), searchPath));
    QVERIFY2(!program.waitForWindow("^TickvalePro$", 20000).isEmpty(), qPrintable(program.output()));
    const qint64 shownAfter = program.millisecondsSinceStart();
    // A hung tool holds back nothing: the history is gathered on a thread of its own.
    QVERIFY2(shownAfter < 4000, qPrintable(QString::number(shownAfter)));
    if (fault != "hung")
        return;
    // Closing while the tool still hangs ends the tool and the program at once, cleanly.
    QTest::qWait(1000);
    QVERIFY(!program.output().contains("did not finish"));
    program.click(ProgramSession::closeButton(), 800);
    program.click(ProgramSession::exitConfirm(), 300);
    program.waitForExit(5000);
    QVERIFY2(!program.running(), qPrintable(program.output()));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(!program.output().contains("QThread: Destroyed"), qPrintable(program.output()));
}

QTEST_GUILESS_MAIN(TestEndToEndFaults)
#include "tst_e2e_faults.moc"
