#include "ScratchDirectory.h"
#include "platform/CompatibilityLayer.h"
#include "platform/InputActivitySource.h"
#include "platform/NetworkCounterSource.h"
#include "platform/PlatformServices.h"
#include "platform/PowerEventSource.h"
#include "platform/SystemClock.h"

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

// Until the Windows monitors are written, they do nothing and say so once each; the system clock
// is already the real one. The action routes have a suite of their own (tst_windows_actions).
class TestWindowsPlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void monitorsReportThatTheyCannotWatch();
    void uptimeIsTheSystemTickCount();

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

void TestWindowsPlatform::monitorsReportThatTheyCannotWatch()
{
    QVERIFY(!PlatformServices::inputActivity()->start());
    QVERIFY(!PlatformServices::networkCounters()->isSupported());
    QVERIFY(PlatformServices::powerEventSource()->commandLine(PowerEventSource::PowerOn, QDateTime()).isEmpty());
    QCOMPARE(inertNotices.size(), 3);
}

void TestWindowsPlatform::uptimeIsTheSystemTickCount()
{
    const std::shared_ptr<SystemClock> clock = PlatformServices::systemClock();
    const qint64 first = clock->uptimeMilliseconds();
    QTest::qWait(300);
    const qint64 second = clock->uptimeMilliseconds();
    QVERIFY(first > 0);
    QVERIFY2(second - first >= 250 && second - first < 5000, qPrintable(QString::number(second - first)));
}

QTEST_GUILESS_MAIN(TestWindowsPlatform)
#include "tst_windows_platform.moc"
