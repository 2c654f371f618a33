#pragma once

#include "actions/ActionServices.h"
#include "monitors/TAVMouseNKeyboardHook.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <memory>

class ActionExecutor;
class ArmedTaskKeeper;
class Connection;
class EditWidget;
class QLabel;
class QTableWidget;
class TableCellView;
class TAVPushButton;
class EverySecondThread;
class NetInfoThread;
class SchedulerClock;
class SleepWatcher;
class TaskScheduler;
class TaskTimerFactory;
class UserSettings;

// The timed-task tab. Building it starts the desktop-wide input watch, the network sampler,
// the one-second tick and the scheduler that arms the tasks.
class ComputerManageWidget final : public QWidget
{
    Q_OBJECT
public:
    // The actions run through the system's own facilities unless others are handed in.
    explicit ComputerManageWidget(QWidget *parent, ActionServices services = ActionServices::system());
    ~ComputerManageWidget() override;

    NetInfoThread *netInfoThread() const;
    TAVMouseNKeyboardHook *inputHook();
    TaskScheduler *scheduler() const;
    QTableWidget *taskTable() const;
    TableCellView *rowView(int row) const;
    TAVPushButton *addButton() const;
    EditWidget *editor() const;
    QMessageBox *startQuestion();
    QPushButton *yesButton() const;
    QPushButton *noButton() const;
    QString idleText() const;
    QString runText() const;
    QString downloadText() const;
    QString uploadText() const;

    // A rate as the status bar shows it: "%1 KB/秒" below 1024, whole "%1 M/秒" from there.
    static QString rateText(int kilobytesPerSecond);

    // Shows a task in its row and asks whether to start it.
    void refreshPlanRow(int row);

    // Keeps the tasks that are switched on in the user's settings when the user asks for it,
    // and switches on again, as by their switches, those kept by the last program in this
    // folder.
    void keepArmedTasks(UserSettings *settings);

public slots:
    void addPlan(bool flag);
    void handleOperaSliderSignal(int index, bool flag);
    void addPlanFinish();
    void editPlanFinish(int index);
    void deletePlanFinish(QMap<QString, QString> dataMap);
    void changeSecondToHour();
    void listenMouseNKeyboard();
    void overspeedMethod(int speed);
    void overspeedOfUploadMethod(int speed);
    void netspeedResult(int downloadSpeed, int uploadSpeed);

private:
    void setUpScheduling(ActionServices services);
    void buildWidgets();
    void buildTable();
    QWidget *buildStatusBar();
    void buildStartQuestion();
    TableCellView *makeRow(int row);
    TableCellView *rowOfTask(int id) const;
    void showTasksEnd();
    // The scheduler's word on a task: its switch shows what is really armed.
    void armingRefused(int id, const QString &reason);
    void taskEnded(int id);
    void nextRunStored(int id);

    TAVMouseNKeyboardHook hook;
    Connection *connection = nullptr;
    NetInfoThread *sampler = nullptr;
    EverySecondThread *ticker = nullptr;
    std::unique_ptr<SchedulerClock> clock;
    std::unique_ptr<TaskTimerFactory> timers;
    std::unique_ptr<ActionExecutor> executor;
    std::unique_ptr<SleepWatcher> sleepWatcher;
    // Declared after the clock, timer factory and executor it uses, so that it goes first.
    std::unique_ptr<TaskScheduler> taskScheduler;
    ArmedTaskKeeper *armedKeeper = nullptr;
    // While the kept tasks are switched on again: a task that cannot be armed stays off quietly.
    bool restoring = false;

    QTableWidget *table = nullptr;
    TAVPushButton *addBtn = nullptr;
    QPointer<EditWidget> taskEditor;
    QMessageBox question;
    QPushButton *yes = nullptr;
    QPushButton *no = nullptr;
    QLabel *idleValue = nullptr;
    QLabel *runValue = nullptr;
    QLabel *downloadValue = nullptr;
    QLabel *uploadValue = nullptr;
};
