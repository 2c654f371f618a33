#include "tasks_ui/ComputerManageWidget.h"

#include "actions/ActionExecutor.h"
#include "monitors/NetInfoThread.h"
#include "platform/PlatformServices.h"
#include "platform/SleepWatcher.h"
#include "schedule/ArmedTaskKeeper.h"
#include "schedule/EverySecondThread.h"
#include "schedule/SystemSchedulerClock.h"
#include "schedule/SystemTaskTimerFactory.h"
#include "schedule/TaskScheduler.h"
#include "storage/Connection.h"
#include "storage/RecordKeys.h"
#include "tasks_ui/CounterLabel.h"
#include "tasks_ui/EditWidget.h"
#include "tasks_ui/SliderWidget.h"
#include "tasks_ui/TableCellView.h"
#include "widgets/NoticeBox.h"
#include "widgets/TAVPushButton.h"
#include "widgets/WindowPlacement.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString CaptionStyle = QStringLiteral("QLabel{font-size: 14px; font: bold; color: #444444;}");
}

ComputerManageWidget::ComputerManageWidget(QWidget *parent, ActionServices services)
    : QWidget(parent)
{
    setUpScheduling(std::move(services));
    buildWidgets();
}

ComputerManageWidget::~ComputerManageWidget()
{
    sampler->stopSampling();
}

void ComputerManageWidget::setUpScheduling(ActionServices services)
{
    TAVMouseNKeyboardHook::installHook(&hook);
    connect(&hook, &TAVMouseNKeyboardHook::hasAction, this, &ComputerManageWidget::listenMouseNKeyboard);

    clock = std::make_unique<SystemSchedulerClock>(PlatformServices::systemClock());
    timers = std::make_unique<SystemTaskTimerFactory>();
    connection = new Connection(this);
    executor = std::make_unique<ActionExecutor>(connection, std::move(services));
    sampler = new NetInfoThread(this);
    taskScheduler = std::make_unique<TaskScheduler>(
        TaskScheduler::Dependencies{connection, executor.get(), sampler, timers.get(), clock.get()}, nullptr);
    taskScheduler->setIdleDetectable(TAVMouseNKeyboardHook::detectsIdleness());
    connect(&hook, &TAVMouseNKeyboardHook::idleDetectionChanged, taskScheduler.get(),
            &TaskScheduler::setIdleDetectable);

    connect(sampler, &NetInfoThread::overSpeed, this, &ComputerManageWidget::overspeedMethod);
    connect(sampler, &NetInfoThread::overSpeedOfUpload, this, &ComputerManageWidget::overspeedOfUploadMethod);
    connect(sampler, &NetInfoThread::netspeedResult, this, &ComputerManageWidget::netspeedResult);
    sampler->start(QThread::InheritPriority);

    ticker = new EverySecondThread(this);
    connect(ticker, &EverySecondThread::alreadyOnSecond, this, &ComputerManageWidget::changeSecondToHour);
    ticker->start(QThread::InheritPriority);

    sleepWatcher = PlatformServices::sleepWatcher();
    connect(sleepWatcher.get(), &SleepWatcher::resumed, taskScheduler.get(), &TaskScheduler::recheckCalendarTasks);
}

NetInfoThread *ComputerManageWidget::netInfoThread() const
{
    return sampler;
}

TAVMouseNKeyboardHook *ComputerManageWidget::inputHook()
{
    return &hook;
}

TaskScheduler *ComputerManageWidget::scheduler() const
{
    return taskScheduler.get();
}

void ComputerManageWidget::handleOperaSliderSignal(int index, bool flag)
{
    taskScheduler->handleOperaSliderSignal(index, flag);
    if (armedKeeper)
        armedKeeper->remember();
}

void ComputerManageWidget::keepArmedTasks(UserSettings *settings)
{
    armedKeeper = new ArmedTaskKeeper(taskScheduler.get(), settings, Connection::databasePath(), this);
    const QList<int> ids = armedKeeper->tasksToRestore();
    restoring = true;
    for (int id : ids) {
        if (TableCellView *view = rowOfTask(id)) {
            view->slider()->setChecked(false);
            view->slider()->toggle();
        }
    }
    restoring = false;
    if (!ids.isEmpty())
        qInfo() << "Switched on again the tasks that were on:" << ids;
}

void ComputerManageWidget::changeSecondToHour()
{
    taskScheduler->changeSecondToHour();
}

void ComputerManageWidget::listenMouseNKeyboard()
{
    taskScheduler->listenMouseNKeyboard();
}

void ComputerManageWidget::overspeedMethod(int speed)
{
    taskScheduler->overspeedMethod(speed);
}

void ComputerManageWidget::overspeedOfUploadMethod(int speed)
{
    taskScheduler->overspeedOfUploadMethod(speed);
}

void ComputerManageWidget::netspeedResult(int downloadSpeed, int uploadSpeed)
{
    downloadValue->setText(rateText(downloadSpeed));
    uploadValue->setText(rateText(uploadSpeed));
}

QString ComputerManageWidget::rateText(int kilobytesPerSecond)
{
    if (kilobytesPerSecond < 1024)
        return QStringLiteral("%1 KB/秒").arg(kilobytesPerSecond);
    return QStringLiteral("%1 M/秒").arg(kilobytesPerSecond / 1024);
}

void ComputerManageWidget::buildWidgets()
{
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(245, 248, 255));
    setPalette(background);
    setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    buildTable();
    layout->addWidget(table, 20);
    layout->addWidget(buildStatusBar(), 1);
    buildStartQuestion();

    connect(taskScheduler.get(), &TaskScheduler::idleTimeText, idleValue, &QLabel::setText);
    connect(taskScheduler.get(), &TaskScheduler::runTimeText, runValue, &QLabel::setText);
    connect(taskScheduler.get(), &TaskScheduler::armingRefused, this, &ComputerManageWidget::armingRefused);
    connect(taskScheduler.get(), &TaskScheduler::taskEnded, this, &ComputerManageWidget::taskEnded);
    connect(taskScheduler.get(), &TaskScheduler::nextRunStored, this, &ComputerManageWidget::nextRunStored);
    for (int row = 0; row < taskScheduler->planList().size(); ++row)
        makeRow(row);
}

void ComputerManageWidget::buildTable()
{
    table = new QTableWidget(this);
    QHeaderView *header = table->horizontalHeader();
    header->setHighlightSections(false);
    header->setStyleSheet(
        QStringLiteral("QHeaderView::section {background-color: #F5F8FF;border:none; border-right:0px solid gray;};"));
    header->setFixedHeight(44);
    table->setColumnCount(1);
    table->setHorizontalHeaderLabels({QString()});
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(60);
    table->setRowCount(taskScheduler->planList().size());
    table->setContentsMargins(0, 0, 0, 0);
    table->setGridStyle(Qt::NoPen);
    table->setStyleSheet(QStringLiteral("QTableView{border : 0px solid red;background-color:#F5F8FF};"));

    auto *headerBar = new QHBoxLayout(header);
    headerBar->setAlignment(Qt::AlignHCenter);
    auto *listLabel = new QLabel(QStringLiteral("任务列表:"));
    listLabel->setStyleSheet(QStringLiteral("QLabel{font-size: 14px; font: bold;};"));
    addBtn = new TAVPushButton(QStringLiteral(":/Tickvale/add_mission"), 4, this, 4,
                               QStringLiteral(":/Tickvale/add_mission"), QStringLiteral("添加任务"));
    addBtn->setFixedSize(120, 30);
    headerBar->addWidget(listLabel);
    headerBar->addStretch(1);
    headerBar->addWidget(addBtn);
    connect(addBtn, &QPushButton::clicked, this, &ComputerManageWidget::addPlan);
}

QWidget *ComputerManageWidget::buildStatusBar()
{
    auto *bar = new QWidget(this);
    bar->setStyleSheet(QStringLiteral("background-color:#F6F7F8;"));
    auto *layout = new QHBoxLayout(bar);
    auto addPair = [layout](const QString &caption, QLabel **value) {
        auto *label = new QLabel(caption);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(CaptionStyle);
        layout->addWidget(label);
        *value = new CounterLabel(QStringLiteral("9999小时59分59秒"), 30);
        layout->addWidget(*value);
        return label;
    };
    addPair(QStringLiteral("空闲时间:"), &idleValue)->setFixedHeight(30);
    addPair(QStringLiteral("运行时间:"), &runValue);
    addPair(QStringLiteral("下载速度:"), &downloadValue);
    addPair(QStringLiteral("上传速度:"), &uploadValue);
    return bar;
}

void ComputerManageWidget::buildStartQuestion()
{
    question.setWindowTitle(QStringLiteral("定时管理"));
    question.setText(QStringLiteral("计划添加成功,现在需要启动该计划?"));
    yes = question.addButton(QStringLiteral("是"), QMessageBox::ActionRole);
    no = question.addButton(QStringLiteral("否"), QMessageBox::ActionRole);
}

TableCellView *ComputerManageWidget::makeRow(int row)
{
    // Made inside the viewport that holds cell widgets, so that placing it moves nothing.
    auto *view = new TableCellView(table->viewport());
    view->setRowNumber(row);
    view->loadPlan(taskScheduler->planList().value(row));
    connect(view, &TableCellView::operaSliderSignal, this, &ComputerManageWidget::handleOperaSliderSignal);
    connect(view, &TableCellView::editPlanFinish, this, &ComputerManageWidget::editPlanFinish);
    connect(view, &TableCellView::deletePlanFinish, this, &ComputerManageWidget::deletePlanFinish);
    table->setCellWidget(row, 0, view);
    return view;
}

TableCellView *ComputerManageWidget::rowOfTask(int id) const
{
    const int row = taskScheduler->indexOfPlan(id);
    return row == -1 ? nullptr : rowView(row);
}

void ComputerManageWidget::armingRefused(int id, const QString &reason)
{
    if (TableCellView *view = rowOfTask(id))
        view->slider()->slideTo(false);
    if (restoring) {
        // Nobody asked just now: the task stays off, and the log says why.
        qInfo() << "Task" << id << "that was on stays off:" << reason;
        return;
    }
    NoticeBox::show(this, reason);
}

void ComputerManageWidget::taskEnded(int id)
{
    if (TableCellView *view = rowOfTask(id))
        view->slider()->slideTo(false);
}

void ComputerManageWidget::nextRunStored(int id)
{
    const int row = taskScheduler->indexOfPlan(id);
    if (TableCellView *view = rowView(row))
        view->loadPlan(taskScheduler->planList().value(row));
}

void ComputerManageWidget::showTasksEnd()
{
    table->scrollToBottom();
    table->viewport()->update();
}

void ComputerManageWidget::addPlan(bool flag)
{
    Q_UNUSED(flag)
    taskEditor = new EditWidget(nullptr);
    taskEditor->setAttribute(Qt::WA_DeleteOnClose);
    taskEditor->setWindowModality(Qt::ApplicationModal);
    taskEditor->setFixedSize(600, 800);
    WindowPlacement::centreOn(taskEditor, this);
    connect(taskEditor, &EditWidget::closeWin, this, &ComputerManageWidget::addPlanFinish);
    taskEditor->show();
}

void ComputerManageWidget::addPlanFinish()
{
    taskScheduler->loadPlans();
    const int count = taskScheduler->planList().size();
    table->setRowCount(count);
    if (count == 0)
        return;
    makeRow(count - 1);
    showTasksEnd();
    refreshPlanRow(count - 1);
}

void ComputerManageWidget::editPlanFinish(int index)
{
    taskScheduler->loadPlans();
    const int row = taskScheduler->indexOfPlan(index);
    if (row != -1)
        refreshPlanRow(row);
}

void ComputerManageWidget::refreshPlanRow(int row)
{
    TableCellView *view = rowView(row);
    if (!view)
        view = makeRow(row);
    view->setRowNumber(row);
    view->loadPlan(taskScheduler->planList().value(row));
    showTasksEnd();
    // The question has no parent window to centre it, so it is placed over this one by hand,
    // once shown: a message box works out its own size only then.
    question.show();
    WindowPlacement::centreOn(&question, this);
    question.exec();
    // The switch shows the answer and, through its signal, arms or disarms the task.
    const bool start = question.clickedButton() == yes;
    view->slider()->setChecked(!start);
    view->slider()->toggle();
}

void ComputerManageWidget::deletePlanFinish(QMap<QString, QString> dataMap)
{
    const int id = dataMap.value(Column::Id).toInt();
    const int row = taskScheduler->indexOfPlan(id);
    if (row == -1)
        return;
    if (!connection->deletePlan({{Column::Id, dataMap.value(Column::Id)}})) {
        // The task is still in the file, so it stays in the list, as it was.
        qWarning() << "Task" << id << "could not be removed";
        NoticeBox::show(this, QStringLiteral("任务未能删除。%1").arg(connection->writeFailureText()));
        return;
    }
    // A removed task must not fire: the user who deletes a shutdown expects no shutdown.
    taskScheduler->handleOperaSliderSignal(id, false);
    table->removeRow(row);
    taskScheduler->loadPlans();
    table->setRowCount(taskScheduler->planList().size());
    table->viewport()->update();
    if (armedKeeper)
        armedKeeper->remember();
}

QTableWidget *ComputerManageWidget::taskTable() const
{
    return table;
}

TableCellView *ComputerManageWidget::rowView(int row) const
{
    return qobject_cast<TableCellView *>(table->cellWidget(row, 0));
}

TAVPushButton *ComputerManageWidget::addButton() const
{
    return addBtn;
}

EditWidget *ComputerManageWidget::editor() const
{
    return taskEditor;
}

QMessageBox *ComputerManageWidget::startQuestion()
{
    return &question;
}

QPushButton *ComputerManageWidget::yesButton() const
{
    return yes;
}

QPushButton *ComputerManageWidget::noButton() const
{
    return no;
}

QString ComputerManageWidget::idleText() const
{
    return idleValue->text();
}

QString ComputerManageWidget::runText() const
{
    return runValue->text();
}

QString ComputerManageWidget::downloadText() const
{
    return downloadValue->text();
}

QString ComputerManageWidget::uploadText() const
{
    return uploadValue->text();
}
