#include "e2e/ProgramSession.h"
#include "e2e/SessionDatabase.h"

#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include <signal.h>
#include <unistd.h>

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
}

const QStringList AsNobody = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};

// Why the program cannot be run as the unprivileged user here; empty when it can.
QString cannotRunAsNobody()
{
    if (geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        return "runs the program as an unprivileged user, which needs root and setpriv";
    if (QProcess::execute(AsNobody.first(), AsNobody.mid(1) + QStringList{"test", "-x", TICKVALE_PROGRAM}) != 0)
        return "the unprivileged user cannot reach the built program from this folder";
    return QString();
}

} // namespace

// The real program under faults and bad input: nothing lost, nothing run that should not be.
class TestEndToEndFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ProgramSession::startBus(bus, {{"logind", "org.freedesktop.login1"}}); }
    void storageItCannotUseIsLeftAlone_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("foreign file") << "noise" << QStringList{"file is not a database"};
        QTest::newRow("read-only database") << "read-only" << QStringList{"is read-only", "ReadOnlyFile"};
        QTest::newRow("folder that cannot be written") << "locked" << QStringList{"Cannot create"};
    }
    // The user is told, over the window, and the file is as it was.
    void storageItCannotUseIsLeftAlone()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, said);
        const bool asNobody = fault != "noise";
        if (const QString why = asNobody ? cannotRunAsNobody() : QString(); !why.isEmpty())
            QSKIP(qPrintable(why));
        ProgramSession program;
        QVERIFY(program.startDisplay(171));
        // A folder the unprivileged user may enter and read but not write.
        const QString folder = program.path("locked");
        const QString database = folder + "/database.db";
        QVERIFY(QDir().mkpath(folder));
        for (const QString &path : {program.path("."), folder})
            QFile::setPermissions(
                path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        if (fault == "noise") {
            QFile file(database);
            QVERIFY(file.open(QIODevice::WriteOnly)
                    && file.write(QByteArray("Notes, not a database.\n").repeated(400)) > 0);
        }
        if (fault == "read-only") {
            QVERIFY(SessionDatabase(folder).db().createTables());
            QFile::setPermissions(database, QFile::ReadOwner | QFile::ReadOther);
        }
        const QByteArray before = contentsOf(database);
        // The unprivileged user runs it with no system bus either: the program comes up without one.
        QVERIFY(program.start(asNobody ? QString() : bus.address(), asNobody ? AsNobody : QStringList(), folder));
        QVERIFY2(!program.waitForWindow().isEmpty(), qPrintable(program.output()));
        QVERIFY2(!program.waitForWindow("^提示$", 5000).isEmpty(), qPrintable(program.output()));
        QVERIFY(program.process().state() == QProcess::Running);
        QCOMPARE(contentsOf(database), before);
        for (const QString &text : said)
            QVERIFY2(program.output().contains(text), qPrintable(program.output()));
    }
    void killedDuringGatheringLosesNothingAndDuplicatesNothing()
    {
        const int boots = 60000;
        ProgramSession program;
        QVERIFY(program.startDisplay(191));
        // A journal of 60000 finished boots, one an hour, each half an hour long.
        program.addTool("journalctl",
                        "exec python3 -c \"import json; n = 60000; print(json.dumps([{'index': i - n + 1, "
                        "'boot_id': '%032x' % i, 'first_entry': f, 'last_entry': f + 1800000000} "
                        "for i in range(n) for f in [1500000000000000 + i * 3600000000]]))\"");
        QVERIFY(SessionDatabase(program.path(".")).db().createTables());
        QVERIFY(program.start(bus.address()));
        // The gathering's transaction is under way once its journal file appears.
        for (QDeadlineTimer deadline(30000);
             !QFile::exists(program.path("database.db-journal")) && !deadline.hasExpired();)
            QThread::usleep(500);
        QVERIFY(QFile::exists(program.path("database.db-journal")));
        QThread::msleep(150);
        kill(pid_t(program.process().processId()), SIGKILL);
        QVERIFY(program.process().waitForFinished(5000));
        QCOMPARE(SessionDatabase(program.path(".")).column("select count(*) from system_log"), QStringList{"0"});
        // Started again, it gathers all of it once more, in one piece, after the window is up.
        QVERIFY(program.start(bus.address()));
        QVERIFY2(!program.waitForWindow("^TickvalePro$", 60000).isEmpty(), qPrintable(program.output()));
        SessionDatabase database(program.path("."));
        QTRY_COMPARE_WITH_TIMEOUT(database.column("select count(*) from system_log"),
                                  QStringList{QString::number(2 * boots)}, 60000);
        QCOMPARE(
            database.column("select count(*) from (select distinct operation_time, operation_index from system_log)"),
            QStringList{QString::number(2 * boots)});
    }
    void twoInstancesAddingTasksAtOnce()
    {
        // One user runs one program per folder; two users may run one each on the same file.
        if (const QString why = cannotRunAsNobody(); !why.isEmpty())
            QSKIP(qPrintable(why));
        ProgramSession first, second;
        QVERIFY(first.startDisplay(211));
        QVERIFY(second.startDisplay(221));
        QVERIFY(SessionDatabase(first.path(".")).db().createTables());
        // Both may read and write the folder and the file.
        for (const QString &path : {first.path("."), first.path("database.db")})
            QFile::setPermissions(path, QFile::Permissions(0x7777));
        QVERIFY(first.start(bus.address()));
        QVERIFY(!first.waitForWindow().isEmpty());
        QVERIFY(second.start(bus.address(), AsNobody, first.path(".")));
        QVERIFY(!second.waitForWindow().isEmpty());
        QStringList presses;
        for (ProgramSession *program : {&first, &second}) {
            QVERIFY(program->openEditor());
            program->fillCountdown("5", QString::number(10 + presses.size()));
            const QPoint at = program->inEditor(ProgramSession::editorConfirm());
            presses << "DISPLAY=" + program->environment().value("DISPLAY")
                    + QStringLiteral(" xdotool mousemove %1 %2 click 1 &").arg(at.x()).arg(at.y());
        }
        // Both confirm at the same moment.
        QCOMPARE(QProcess::execute("sh", {"-c", presses.join(' ') + " wait"}), 0);
        QVERIFY(first.answerStartQuestion(false));
        QVERIFY(second.answerStartQuestion(false));
        QCOMPARE(SessionDatabase(first.path(".")).column("select name from plan_t where id > 0 order by name"),
                 (QStringList{"从现在开始5小时10分后关机", "从现在开始5小时11分后关机"}));
    }
    // Also with nothing on the search path but the browser: no event tool holds the start back.
    void awkwardTextIsStoredAndNeverRun()
    {
        ProgramSession program;
        QVERIFY(program.startDisplay(231));
        program.addTool("xdg-open",
                        QStringLiteral("/usr/bin/env > '%1'; printf '%s\\n' \"$@\" >> '%2'")
                            .arg(program.path("opened-environment.txt"), program.path("opened.txt")));
        QVERIFY(program.start(bus.address(), {}, QString(), program.path("bin")));
        QVERIFY2(!program.waitForWindow().isEmpty(), qPrintable(program.output()));
        QVERIFY2(program.started.elapsed() < 4000, qPrintable(QString::number(program.started.elapsed())));
        const QString awkward = QStringLiteral("example.org/a\"b'c;%1?q=$(touch CANARY)&r=`touch CANARY2`&s=中文");
        QVERIFY(QUrl::fromUserInput(awkward).isValid());
        QVERIFY(program.openEditor());
        program.click(program.inEditor({272, 86}), 500);
        program.key({"Down", "Down", "Down", "Down", "Down", "Down", "Down", "Down", "Return"}, 800);
        QVERIFY(!program.waitForWindow("^请输入网址$", 5000).isEmpty());
        program.click(program.inWindow("^请输入网址$", {231, 84}), 200);
        program.type(awkward, 800, 120);
        program.click(program.inWindow("^请输入网址$", {140, 136}), 500);
        // "累计开机" 0 hours 1 minute: the running time of the day is past a minute, so it runs at once.
        program.fillCountdown("0", "1", 2);
        program.click(program.inEditor(ProgramSession::editorConfirm()), 600);
        QVERIFY(program.answerStartQuestion(true));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(program.path("opened.txt")), 10000);
        QTest::qWait(500);
        {
            SessionDatabase database(program.path("."));
            QCOMPARE(database.column("select position from app_position_t"), QStringList{awkward});
            QCOMPARE(database.column("select name from plan_t where id=1"),
                     QStringList{"全天累计开机0小时1分后打开网址"});
        }
        QCOMPARE(program.run("cat", {program.path("opened.txt")}).trimmed(),
                 QUrl::fromUserInput(awkward).toString(QUrl::FullyEncoded));
        QVERIFY(!QFile::exists(program.path("CANARY")) && !QFile::exists(program.path("CANARY2")));
        // The program's own graphics setting is not handed on to what it starts.
        const QStringList inherited = program.run("cat", {program.path("opened-environment.txt")}).split('\n');
        QVERIFY(!inherited.filter("DISPLAY=").isEmpty());
        QCOMPARE(inherited.filter("QT_XCB_GL_INTEGRATION"), QStringList());
    }
    // A hung event tool and no system bus hold back nothing: the history is gathered on a thread
    // of its own. Closing while the tool still hangs ends the tool and the program at once.
    void startsWithAHungToolAndNoBus()
    {
        ProgramSession program;
        QVERIFY(program.startDisplay(241));
        program.addTool("journalctl", "exec sleep 600");
        QVERIFY(program.start(QString()));
        QVERIFY2(!program.waitForWindow().isEmpty(), qPrintable(program.output()));
        QVERIFY2(program.started.elapsed() < 4000, qPrintable(QString::number(program.started.elapsed())));
        QTest::qWait(1000);
        QVERIFY(!program.output().contains("did not finish"));
        QVERIFY2(program.quitsCleanly(5000), qPrintable(program.output()));
    }

private:
    MockSystemBus bus;
};

QTEST_GUILESS_MAIN(TestEndToEndFaults)
#include "tst_e2e_faults.moc"
