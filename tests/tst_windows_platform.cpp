#include "ScratchDirectory.h"
#include "platform/CommandInterpreter.h"
#include "platform/CompatibilityLayer.h"
#include "platform/PlatformServices.h"
#include "platform/ProcessTerminator.h"

#include <QProcess>
#include <QtTest>

#include <memory>

namespace {

// The log lines of the facilities that do nothing on this build, as they are written.
QStringList inertNotices;
QtMessageHandler previousHandler = nullptr;

void collectInertNotices(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("does nothing on this Windows build")))
        inertNotices << message;
    previousHandler(type, context, message);
}

} // namespace

// Until the Windows routes are written, the platform services of the Windows build do nothing
// and say so once each (the monitors' services and the clock have a suite of their own). Only
// harmless requests are made here: no power, session, display or network request, not even to
// a service that would ignore it.
class TestWindowsPlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void interpreterRunsNothingAndSaysSoOnce();
    void terminatorEndsNothing();

private:
    std::unique_ptr<ScratchDirectory> scratch;
};

void TestWindowsPlatform::initTestCase()
{
    previousHandler = qInstallMessageHandler(collectInertNotices);
}

void TestWindowsPlatform::cleanupTestCase()
{
    qInstallMessageHandler(previousHandler);
}

void TestWindowsPlatform::init()
{
    scratch = std::make_unique<ScratchDirectory>();
    inertNotices.clear();
}

void TestWindowsPlatform::cleanup()
{
    scratch.reset();
}

void TestWindowsPlatform::interpreterRunsNothingAndSaysSoOnce()
{
    const std::shared_ptr<CommandInterpreter> interpreter = PlatformServices::commandInterpreter(nullptr);
    interpreter->run(QStringLiteral("echo ran> ran.txt"));
    interpreter->run(QStringLiteral("echo ran again> ran.txt"));
    QTest::qWait(1500);
    QVERIFY(!QFile::exists(QStringLiteral("ran.txt")));
    QCOMPARE(inertNotices, QStringList{"The command interpreter does nothing on this Windows build yet"});
}

void TestWindowsPlatform::terminatorEndsNothing()
{
    QProcess tool;
    tool.start(QCoreApplication::applicationDirPath() + "/hung_tool", {"waiting", "30"});
    QVERIFY(tool.waitForStarted());
    PlatformServices::processTerminator()->terminateAll(QStringLiteral("hung_tool.exe"));
    QVERIFY(!tool.waitForFinished(1500));
    tool.kill();
    tool.waitForFinished();
    QCOMPARE(inertNotices, QStringList{"Closing a program does nothing on this Windows build yet"});
}

QTEST_GUILESS_MAIN(TestWindowsPlatform)
#include "tst_windows_platform.moc"
