#include "monitors/NetInfoThread.h"

#include "platform/PlatformServices.h"

#include <QDebug>
#include <QMutexLocker>

#include <limits>

NetInfoThread::NetInfoThread(QObject *parent, std::unique_ptr<NetworkCounterSource> counterSource)
    : QThread(parent)
    , source(counterSource ? std::move(counterSource) : PlatformServices::networkCounters())
{ }

NetInfoThread::~NetInfoThread()
{
    stopSampling();
}

void NetInfoThread::appendDownloadStandSpeed(int standSpeed)
{
    QMutexLocker locker(&lock);
    downloadStandSpeeds.append(standSpeed);
}

void NetInfoThread::appendUploadStandSpeed(int standSpeed)
{
    QMutexLocker locker(&lock);
    uploadStandSpeeds.append(standSpeed);
}

void NetInfoThread::removeDownloadStandSpeed(int standSpeed)
{
    QMutexLocker locker(&lock);
    downloadStandSpeeds.removeOne(standSpeed);
}

void NetInfoThread::removeUploadStandSpeed(int standSpeed)
{
    QMutexLocker locker(&lock);
    uploadStandSpeeds.removeOne(standSpeed);
}

QList<int> NetInfoThread::downloadStandSpeedList() const
{
    QMutexLocker locker(&lock);
    return downloadStandSpeeds;
}

QList<int> NetInfoThread::uploadStandSpeedList() const
{
    QMutexLocker locker(&lock);
    return uploadStandSpeeds;
}

int NetInfoThread::rateBetween(quint64 previous, quint64 current)
{
    if (previous == 0 || current < previous)
        return 0;
    const quint64 kilobytes = (current - previous) >> 10;
    return int(qMin<quint64>(kilobytes, quint64(std::numeric_limits<int>::max())));
}

void NetInfoThread::samplePass()
{
    const NetworkTotals totals = source->read();
    const int download = rateBetween(previous.received, totals.received);
    const int upload = rateBetween(previous.sent, totals.sent);
    previous = totals;

    // Compare against a copy, so that a slot called directly may change the lists.
    QList<int> downloadWatch;
    QList<int> uploadWatch;
    {
        QMutexLocker locker(&lock);
        downloadWatch = downloadStandSpeeds;
        uploadWatch = uploadStandSpeeds;
    }
    // A negative threshold is never reached.
    for (int standSpeed : qAsConst(downloadWatch)) {
        if (standSpeed >= 0 && download >= standSpeed)
            emit overSpeed(standSpeed);
    }
    for (int standSpeed : qAsConst(uploadWatch)) {
        if (standSpeed >= 0 && upload >= standSpeed)
            emit overSpeedOfUpload(standSpeed);
    }
    emit netspeedResult(download, upload);
}

void NetInfoThread::run()
{
    if (!source->isSupported()) {
        qWarning() << "No network counters on this system: rates are not measured";
        return;
    }
    while (!stopFlag.load()) {
        samplePass();
        QMutexLocker locker(&sleepLock);
        if (!stopFlag.load())
            wakeUp.wait(&sleepLock, 1000);
    }
}

void NetInfoThread::stopSampling()
{
    {
        QMutexLocker locker(&sleepLock);
        stopFlag.store(true);
        wakeUp.wakeAll();
    }
    wait();
}
