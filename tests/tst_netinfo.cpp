#include "monitors/NetInfoThread.h"
#include "platform/NetworkCounterSource.h"
#include "platform/PlatformServices.h"

#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#ifdef Q_OS_LINUX
#include "platform/linux/ProcNetDevCounters.h"
#endif

namespace {

// Counters that a test sets by hand.
class FakeCounters : public NetworkCounterSource
{
    NetworkTotals *totals;

public:
    explicit FakeCounters(NetworkTotals *source)
        : totals(source)
    { }
    bool isSupported() const override { return true; }
    NetworkTotals read() override { return *totals; }
};

// The first argument of every signal caught so far; the spy starts afresh.
QList<int> takeFirstArguments(QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &call : spy)
        values << call.at(0).toInt();
    spy.clear();
    return values;
}

} // namespace

class TestNetInfo : public QObject
{
    Q_OBJECT

private slots:
    void rateBetweenTwoReadings()
    {
        // Whole kilobytes; nothing on the first reading, or when the counter went backwards.
        const auto rate = NetInfoThread::rateBetween;
        QCOMPARE((QList<int>{rate(0, 5000000), rate(1000, 3047), rate(0xFFFFFC00u, 0x100000400ull), rate(900000, 1000),
                             rate(1, 1 + (quint64(1) << 50))}),
                 (QList<int>{0, 1, 2, 0, 2147483647}));
    }

    void thresholdsAreReachedAtEqualityOncePerEntryAndSamplingStopsPromptly()
    {
        NetworkTotals totals{123456789, 987654321};
        NetInfoThread sampler(nullptr, std::make_unique<FakeCounters>(&totals));
        for (int threshold : {10, 11, 10, -5, 0, 10})
            sampler.appendDownloadStandSpeed(threshold);
        for (int threshold : {3, 4, 9})
            sampler.appendUploadStandSpeed(threshold);
        // Removing takes one occurrence; removing one that is not there changes nothing.
        sampler.removeDownloadStandSpeed(10);
        sampler.removeUploadStandSpeed(9);
        sampler.removeUploadStandSpeed(9);
        QSignalSpy rates(&sampler, &NetInfoThread::netspeedResult);
        QSignalSpy download(&sampler, &NetInfoThread::overSpeed);
        QSignalSpy upload(&sampler, &NetInfoThread::overSpeedOfUpload);

        // The first pass has nothing to compare with: zero, which only a zero threshold reaches.
        sampler.samplePass();
        QCOMPARE(rates.takeFirst(), (QList<QVariant>{0, 0}));
        QCOMPARE(takeFirstArguments(download), QList<int>{0});
        QVERIFY(upload.isEmpty());
        totals.received += 10 * 1024 + 500;
        totals.sent += 3 * 1024;
        sampler.samplePass();
        QCOMPARE(rates.takeFirst(), (QList<QVariant>{10, 3}));
        QCOMPARE(takeFirstArguments(download), (QList<int>{10, 0, 10}));
        QCOMPARE(takeFirstArguments(upload), QList<int>{3});

        // Running, it samples at once, then sleeps a second; a stop ends the sleep.
        sampler.start();
        QTRY_COMPARE_WITH_TIMEOUT(rates.size(), 1, 3000);
        QElapsedTimer stopping;
        stopping.start();
        sampler.stopSampling();
        QVERIFY(sampler.isFinished());
        QVERIFY(stopping.elapsed() < 900);
    }

    void parsesEveryInterfaceOfProcNetDev()
    {
#ifndef Q_OS_LINUX
        QSKIP("/proc/net/dev is where Linux keeps its interface counters");
#else
        const QByteArray text = "Inter-|   Receive |  Transmit\n face |bytes    packets errs drop fifo frame\n"
                                "    lo: 1000      10    0    0    0     0          0         0     1000      10\n"
                                "  eth0:5000000000 4000 0 0 0 0 0 0 2500 30 0 0 0 0 0 0\n"
                                "wlan0: 24 1 0 0 0 0 0 0 76 1 0 0 0 0 0 0\n";
        const NetworkTotals totals = ProcNetDevCounters::parse(text);
        QCOMPARE((QList<quint64>{totals.received, totals.sent}), (QList<quint64>{5000001024, 3576}));
#endif
    }

    void realLoopbackTrafficShowsAsDownload()
    {
        std::unique_ptr<NetworkCounterSource> counters = PlatformServices::networkCounters();
        QVERIFY(counters->isSupported());
        NetInfoThread sampler(nullptr, std::move(counters));
        QSignalSpy rates(&sampler, &NetInfoThread::netspeedResult);
        sampler.samplePass();
        // Datagrams to the machine itself, to a port where nobody listens, still cross loopback.
        QUdpSocket socket;
        qint64 sent = 0;
        for (int i = 0; i < 200; ++i)
            sent += qMax<qint64>(0, socket.writeDatagram(QByteArray(60000, 'x'), QHostAddress::LocalHost, 9));
        QVERIFY2(sent >= 8 << 20, qPrintable(QString::number(sent)));
        sampler.samplePass();
        QCOMPARE(rates.size(), 2);
        QVERIFY2(rates.last().at(0).toInt() >= 8 * 1024, qPrintable(rates.last().at(0).toString()));
    }
};

QTEST_GUILESS_MAIN(TestNetInfo)
#include "tst_netinfo.moc"
