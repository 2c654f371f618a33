// Time to build the timed-task tab with 500 tasks in the database, and to open the task
// editor. Usage: QT_QPA_PLATFORM=offscreen bench_task_tab [RUNS]
#include "app/StartUp.h"
#include "monitors/TAVMouseNKeyboardHook.h"
#include "platform/InputActivitySource.h"
#include "schedule/TaskComposer.h"
#include "tasks_ui/ComputerManageWidget.h"
#include "tasks_ui/EditWidget.h"

#include <QTableWidget>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class NoInput : public InputActivitySource
{
public:
    bool start() override { return true; }
    void stop() override { }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 5;
    // As in the program: the application style sheet and font are in force.
    StartUp::applyStyleSheet(application);
    StartUp::registerFont();
    StartUp::applyApplicationFont();
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tickvale-bench-bus");
    TAVMouseNKeyboardHook::setSourceFactory([] { return std::make_unique<NoInput>(); });
    QTemporaryDir directory;
    QDir::setCurrent(directory.path());

    Connection connection(nullptr);
    connection.createTables();
    for (int i = 0; i < 499; ++i) {
        const QString minutes = QString::number(i + 1);
        connection.insertPlan(TaskComposer::saveRecord(
            TaskComposer::conditionColumns(TaskComposer::FreeCommission, i % 12, {"", minutes, "", false}),
            i % 12 >= 7 && i % 12 <= 10 ? QStringLiteral("/usr/bin/true") : QString(), "-1"));
    }

    std::vector<double> tabTimes;
    std::vector<double> editorTimes;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        auto *tab = new ComputerManageWidget(nullptr, ActionServices());
        tab->resize(900, 680);
        tab->show();
        QCoreApplication::processEvents();
        tabTimes.push_back(clock.nsecsElapsed() / 1e6);
        if (run == 0)
            std::printf("tab rows: %d\n", tab->taskTable()->rowCount());

        clock.restart();
        auto *editor = new EditWidget(nullptr);
        editor->setFixedSize(600, 800);
        editor->show();
        QCoreApplication::processEvents();
        editorTimes.push_back(clock.nsecsElapsed() / 1e6);
        delete editor;
        delete tab;
    }
    std::printf("timed-task tab with 500 tasks, built and shown: median %.1f ms over %d runs\n", median(tabTimes),
                runs);
    std::printf("task editor opened and shown: median %.1f ms over %d runs\n", median(editorTimes), runs);
    return 0;
}
