#pragma once

#include "FakeActionServices.h"
#include "ManualTime.h"
#include "ScratchDirectory.h"
#include "actions/ActionExecutor.h"
#include "monitors/NetInfoThread.h"
#include "schedule/TaskComposer.h"
#include "schedule/TaskScheduler.h"

#include <memory>

// The scheduler over a fresh database in a folder of its own, on a clock the test moves, with
// a network that stays quiet and actions that only write down what they were asked. Suites
// inherit it and call setUpScheduler() in init() and tearDownScheduler() in cleanup().
class SchedulerHarness
{
protected:
    // The clock starts at `start`; false when the database cannot be made.
    bool setUpScheduler(const QDateTime &start)
    {
        scratch = std::make_unique<ScratchDirectory>();
        connection = std::make_unique<Connection>(nullptr);
        if (!connection->createTables())
            return false;
        sampler = std::make_unique<NetInfoThread>(nullptr, std::make_unique<QuietCounters>());
        time = std::make_unique<ManualTime>(start);
        log.calls.clear();
        executor = std::make_unique<ActionExecutor>(connection.get(), fakeActionServices(&log));
        startScheduler();
        return true;
    }

    // A new scheduler over the same database, clock and fakes, as at a program's start.
    void startScheduler()
    {
        scheduler.reset();
        scheduler = std::make_unique<TaskScheduler>(
            TaskScheduler::Dependencies{connection.get(), executor.get(), sampler.get(), time.get(), time.get()},
            nullptr);
    }

    void tearDownScheduler()
    {
        scheduler.reset();
        executor.reset();
        time.reset();
        sampler.reset();
        connection.reset();
        scratch.reset();
    }

    // Stores a task made from the composer's columns and loads it; its id, or -1.
    int addTask(const Connection::Record &columns, const QString &operand = QString())
    {
        if (!connection->insertPlan(TaskComposer::saveRecord(columns, operand, "-1")))
            return -1;
        scheduler->loadPlans();
        return scheduler->planList().last().value("id").toInt();
    }

    // Moves the clock on by `seconds`: true when exactly one action ran, and only in the last
    // second (the last millisecond when `unit` is 1).
    bool runsAfter(qint64 seconds, qint64 unit = 1000)
    {
        const int before = log.calls.size();
        time->advance(seconds * 1000 - unit);
        if (log.calls.size() != before)
            return false;
        time->advance(unit);
        return log.calls.size() == before + 1;
    }

    std::unique_ptr<ScratchDirectory> scratch;
    std::unique_ptr<Connection> connection;
    std::unique_ptr<NetInfoThread> sampler;
    std::unique_ptr<ManualTime> time;
    std::unique_ptr<ActionExecutor> executor;
    std::unique_ptr<TaskScheduler> scheduler;
    ActionLog log;

private:
    class QuietCounters : public NetworkCounterSource
    {
    public:
        bool isSupported() const override { return true; }
        NetworkTotals read() override { return {}; }
    };
};
