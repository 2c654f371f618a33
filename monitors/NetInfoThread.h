#pragma once

#include "platform/NetworkCounterSource.h"

#include <QList>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <memory>

// Measures the total download and upload rate once a second and reports every threshold a
// watching rate task has reached.
class NetInfoThread final : public QThread
{
    Q_OBJECT
public:
    explicit NetInfoThread(QObject *parent, std::unique_ptr<NetworkCounterSource> source = nullptr);
    ~NetInfoThread() override;

    void appendDownloadStandSpeed(int standSpeed);
    void appendUploadStandSpeed(int standSpeed);
    // Each takes out one occurrence of the value, if there is one.
    void removeDownloadStandSpeed(int standSpeed);
    void removeUploadStandSpeed(int standSpeed);
    QList<int> downloadStandSpeedList() const;
    QList<int> uploadStandSpeedList() const;

    // One sampling pass: read the counters, report thresholds reached and the two rates.
    void samplePass();
    // Ends the sampling loop at once (also in the middle of its sleep) and waits for it.
    void stopSampling();

    // Whole kilobytes between two readings of a counter; 0 on the first reading and when the
    // counter went backwards (an interface went away or was reset).
    static int rateBetween(quint64 previous, quint64 current);

signals:
    void netspeedResult(int downloadSpeed, int uploadSpeed);
    void overSpeedOfUpload(int standSpeed);
    void overSpeed(int standSpeed);

protected:
    void run() override;

private:
    std::atomic<bool> stopFlag{false};
    QList<int> downloadStandSpeeds;
    QList<int> uploadStandSpeeds;
    mutable QMutex lock;

    std::unique_ptr<NetworkCounterSource> source;
    NetworkTotals previous;
    QMutex sleepLock;
    QWaitCondition wakeUp;
};
