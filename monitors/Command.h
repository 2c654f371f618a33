#pragma once

#include "platform/PowerEventSource.h"
#include "storage/Connection.h"

#include <QDateTime>
#include <QHash>
#include <QObject>

#include <atomic>
#include <memory>

class QFile;
class QThread;

// Gathers the computer's power-on/off history into the database, and records how the program
// is to be started.
class Command final : public QObject
{
    Q_OBJECT
public:
    using EventRecord = PowerEventSource::EventRecord;
    using ToolRun = PowerEventSource::ToolRun;

    static const char *const CacheFileName;
    // A hung event tool is ended after this long. A large journal can take many seconds.
    static constexpr int ToolTimeoutMs = 60 * 1000;

    explicit Command(QObject *parent, std::shared_ptr<PowerEventSource> source = nullptr);
    // Ends a gathering still under way (its tool is killed) and waits for it.
    ~Command() override;

    // Adds every power-on and power-off newer than those already recorded, as one transaction.
    // A connection name other than the default one is opened for this gathering (and closed
    // after it), so that a thread of its own can gather.
    void collectPowerEvents(const QString &databaseConnection = QString());
    // The same on a thread of its own; powerEventsCollected() follows on this object's thread.
    void startCollecting();
    bool isCollecting() const;
    // The events of an event-log query in its text form.
    QList<EventRecord> queryEventLog(const QString &commandLine);
    // Runs the command line and returns what it printed, as UTF-8.
    QString runAndCapture(const QString &commandLine);
    QByteArray runAndCaptureBytes(const QString &commandLine);
    // Runs the command line, bounded by the tool timeout: what it printed and how it ended.
    ToolRun runTool(const QString &commandLine);
    void setToolTimeout(int milliseconds);

    // The local moment of a date text "yyyy-MM-ddTHH:mm:ss.zzz0000Z"; invalid when the date
    // does not parse, midnight when only the time does not.
    static QDateTime parseEventDate(const QString &dateText);
    // Seconds since the epoch as an unsigned 32-bit number; 4294967295 when invalid.
    static QString eventTimestamp(const QString &dateText);

    // Asks the system to start the program at this path with administrator rights from now on.
    void setRunAsAdmin(const QString &path);

signals:
    void powerEventsCollected();

private:
    QDateTime cutOffOf(Connection &connection, Connection::SystemLogFlag flag);
    QList<EventRecord> newestFirst(PowerEventSource::Kind kind, const QDateTime &cutOff);
    ToolRun runOnce(const QString &commandLine);
    void stopCollecting();
    void merge(Connection &connection, const QList<EventRecord> &powerOnEvents,
               const QList<EventRecord> &powerOffEvents, QFile *cache);
    static void record(Connection &connection, const QString &dateText, const QString &timestamp,
                       Connection::SystemLogFlag flag);
    static void writeCacheLine(QFile *cache, const QString &dateText, Connection::SystemLogFlag flag);

    std::shared_ptr<PowerEventSource> source;
    int toolTimeoutMs = ToolTimeoutMs;
    // One gathering runs a command line once, even when both kinds ask for the same one.
    QHash<QString, ToolRun> runs;
    // Said once per gathering: no source could be read.
    bool nothingReadReported = false;
    QThread *worker = nullptr;
    std::atomic<bool> stopRequested{false};
};
