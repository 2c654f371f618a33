#include "e2e/ProgramSession.h"
#include "e2e/SessionDatabase.h"
#include "schedule/TaskComposer.h"

#include <QtTest>

using TC = TaskComposer;

// The real program, driven as a person would, against a private system bus.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ProgramSession::startBus(
            bus, {{"logind", "org.freedesktop.login1"}, {"networkmanager", "org.freedesktop.NetworkManager"}});
    }
    void firstStartGathersTheHistoryAndAsksBeforeLeaving()
    {
        ProgramSession program;
        QVERIFY(program.startDisplay());
        // The system's journal is replaced by one made for the test: two boots, three and two days ago.
        const qint64 base = QDateTime::currentSecsSinceEpoch() - 3 * 86400;
        QStringList fields = {program.path("system.journal")};
        // Boot, second since the boot: the first run lasts 8985 seconds, the second an hour.
        for (const auto &[boot, since] : {std::pair(base, 0), {base, 8985}, {base + 86400, 0}, {base + 86400, 3600}})
            fields << QString::number(boot + since) << QString::number(since) << QString(32, boot == base ? 'a' : 'b');
        const QString write = "printf '__REALTIME_TIMESTAMP=%s000000\\n__MONOTONIC_TIMESTAMP=%s000001\\n_BOOT_ID=%s\\n"
                              "MESSAGE=m\\n\\n' \"$@\" | /lib/systemd/systemd-journal-remote -o \"$0\" -";
        QCOMPARE(QProcess::execute("sh", QStringList{"-c", write} + fields), 0);
        program.addTool("journalctl", "exec /usr/bin/journalctl --file=\"" + fields.first() + "\" \"$@\"");
        QVERIFY(program.start(bus.address()));
        const QString window = program.waitForWindow();
        QVERIFY2(!window.isEmpty(), qPrintable(program.output()));
        // No frame: the window asks the window manager for no decorations.
        QCOMPARE(program.run("xprop", {"-id", window, "_MOTIF_WM_HINTS"}).section('=', 1).section(',', 2, 2).trimmed(),
                 QString("0x0"));
        {
            SessionDatabase database(program.path("."));
            QCOMPARE(database.column("select count(*) from order_t"), QStringList{"12"});
            QCOMPARE(database.column("select name from plan_t"), QStringList{"电脑连续空闲10分钟后执行关闭显示器"});
            // The history is gathered while the window is up, to the second.
            QTRY_COMPARE_WITH_TIMEOUT(database.column("select name from system_log order by timestamp desc"),
                                      (QStringList{"关机", "开机", "关机", "开机"}), 20000);
            QCOMPARE(database.column("select max(timestamp) - min(timestamp) from system_log"), QStringList{"90000"});
        }
        // Leaving through its confirmation ends it cleanly (tst_shell cancels the same question).
        QVERIFY2(program.quitsCleanly(), qPrintable(program.output()));
    }
    // The idle task waits while input comes; a countdown made in the editor shuts down once, after
    // its warning, and a disconnection runs once, meanwhile.
    void idleTaskIsHeldOffByInputWhileOthersRun()
    {
        ProgramSession program;
        QVERIFY(program.startDisplay());
        // Disconnecting runs once, some seconds after the switch: "电脑开机后" with a delay a
        // little longer than the machine has been on (a period of zero is never armed).
        Connection::Record soon = TC::conditionColumns(TC::FromOnCommission, 11, {"0", "1", "", true});
        soon["lease_second"] = QString::number(
            qint64(program.run("cat", {"/proc/uptime"}).section(' ', 0, 0).toDouble()) + 15);
        {
            SessionDatabase database(program.path("."));
            QVERIFY(database.db().createTables());
            QVERIFY(database.db().insertPlan(
                TC::saveRecord(TC::conditionColumns(TC::FreeCommission, 5, {"", "1", "", true}), "", "-1")));
            QVERIFY(database.db().insertPlan(TC::saveRecord(soon, "", "-1")));
        }
        // One active connection, for the disconnection to end.
        QVERIFY(bus.runPython(
            QStringLiteral("import dbus; n='org.freedesktop.NetworkManager'; p='/' + n.replace('.', '/'); "
                           "dbus.bus.BusConnection('%1').get_object(n, p).SetProperty(p, n, "
                           "'ActiveConnections', dbus.Array([p + '/ActiveConnection/3'], signature='o'), "
                           "dbus_interface='org.freedesktop.DBus.Mock')")
                .arg(bus.address())));
        bus.clearLog("networkmanager");
        bus.clearLog("logind");
        QVERIFY(program.start(bus.address()));
        QVERIFY(!program.waitForWindow().isEmpty());
        for (int row : {1, 2})
            QVERIFY(program.switchOn(row));
        // Shut down in one minute, made in the editor and started at once.
        QVERIFY(program.openEditor());
        program.fillCountdown("0", "1");
        program.click(program.inEditor(ProgramSession::editorConfirm()), 600);
        QVERIFY(program.answerStartQuestion(true));
        const qint64 confirmedAt = QDateTime::currentMSecsSinceEpoch();
        QCOMPARE(SessionDatabase(program.path(".")).column("select name from plan_t where id=3"),
                 QStringList{"从现在开始0小时1分后关机"});
        const QString fired = QStringLiteral("The display has no power management");
        bool warned = false;
        QElapsedTimer sinceInput;
        for (int i = 0; i < 4; ++i) {
            QTest::qWait(15000);
            // Half a minute before the shutdown its warning is up, over everything.
            const qint64 sinceConfirm = QDateTime::currentMSecsSinceEpoch() - confirmedAt;
            if (sinceConfirm > 35000 && sinceConfirm < 55000)
                warned = !program.shown("^执行前提醒$").isEmpty();
            if (i % 2 == 0)
                program.type("idle", 0);
            else
                program.run("xdotool", {"mousemove_relative", "--", "20", "15"});
            sinceInput.start();
            QVERIFY2(!program.output().contains(fired), "fired while input kept coming");
        }
        QVERIFY(warned);
        QTRY_VERIFY2_WITH_TIMEOUT(program.output().contains(fired), qPrintable(program.output()), 90000);
        const qint64 after = sinceInput.elapsed();
        QVERIFY2(after > 57000 && after < 85000, qPrintable(QString::number(after)));
        QTRY_VERIFY_WITH_TIMEOUT(
            bus.calls("networkmanager")
                .contains("DeactivateConnection \"/org/freedesktop/NetworkManager/ActiveConnection/3\""),
            40000);
        // The shutdown came once, a minute after the confirmation.
        const QStringList powerOffs = program.run("cat", {bus.logOf("logind")}).split('\n').filter("PowerOff");
        QCOMPARE(powerOffs.size(), 1);
        QVERIFY(powerOffs.first().endsWith(" PowerOff False"));
        const qint64 firedAfter = qint64(powerOffs.first().section(' ', 0, 0).toDouble() * 1000) - confirmedAt;
        QVERIFY2(firedAfter > 55000 && firedAfter < 70000, qPrintable(QString::number(firedAfter)));
    }

private:
    MockSystemBus bus;
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
