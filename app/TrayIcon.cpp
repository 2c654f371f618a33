#include "app/TrayIcon.h"

#include "app/MenuBar.h"
#include "app/StartUp.h"
#include "app/Tickvale.h"
#include "app/TrayTooltip.h"
#include "schedule/TaskScheduler.h"
#include "storage/RecordKeys.h"
#include "tasks_ui/ComputerManageWidget.h"
#include "tasks_ui/SliderWidget.h"
#include "tasks_ui/TableCellView.h"
#include "widgets/TAVPushButton.h"

#include <QDebug>
#include <QTableWidget>

namespace {
const int RefreshMs = 10 * 1000;
// The arrow menu's look on a plain menu: the tray menu has no picture behind it.
const QString MenuStyle = QStringLiteral(
    "QMenu{background-color:#ffffff;border:1px solid #B5BCC9;padding:4px 0px;font-size:12px;}"
    "QMenu::item{color:#444444;padding:7px 28px;}"
    "QMenu::item:selected{background-color:#5289EB;color:#ffffff;}"
    "QMenu::separator{height:1px;background:#DBDBDB;margin:3px 0px;}");
} // namespace

TrayIcon *TrayIcon::createIfAvailable(Tickvale *window)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        qInfo() << "The desktop has no system tray; the program shows no tray icon";
        return nullptr;
    }
    return new TrayIcon(window);
}

TrayIcon::TrayIcon(Tickvale *window)
    : QObject(window)
    , mainWindow(window)
    , scheduler(window->computerManageWidget()->scheduler())
{
    QIcon programIcon;
    for (int size : {16, 24, 32, 48, 64})
        programIcon.addFile(QStringLiteral(":/Tickvale/icon_%1").arg(size), QSize(size, size));
    tray.setIcon(programIcon);
    buildMenu();
    tray.setContextMenu(&contextMenu);
    connect(&tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            showWindow();
    });
    connect(scheduler, &TaskScheduler::scheduleChanged, this, &TrayIcon::updateToolTip);
    connect(&refresher, &QTimer::timeout, this, &TrayIcon::updateToolTip);
    refresher.start(RefreshMs);
    updateToolTip();
    tray.show();
}

void TrayIcon::buildMenu()
{
    contextMenu.setStyleSheet(MenuStyle);
    contextMenu.addAction(QStringLiteral("显示主窗口"), this, &TrayIcon::showWindow);
    contextMenu.addAction(QStringLiteral("暂停所有任务"), this, &TrayIcon::pauseAllTasks);
    contextMenu.addSeparator();
    contextMenu.addAction(QStringLiteral("退出"), this, &TrayIcon::exitProgram);
}

QSystemTrayIcon *TrayIcon::icon()
{
    return &tray;
}

QMenu *TrayIcon::menu()
{
    return &contextMenu;
}

QString TrayIcon::toolTip() const
{
    return tray.toolTip();
}

void TrayIcon::updateToolTip()
{
    QDateTime moment;
    const int id = scheduler->nextDueTask(&moment);
    if (id == -1) {
        tray.setToolTip(TrayTooltip::nothingArmed());
        return;
    }
    const int row = scheduler->indexOfPlan(id);
    const int orderId = scheduler->planList().value(row).value(Column::OrderT).toInt();
    tray.setToolTip(TrayTooltip::nextTask(moment, orderId, QDateTime::currentDateTime()));
}

void TrayIcon::showWindow()
{
    StartUp::bringToFront(*mainWindow);
}

void TrayIcon::pauseAllTasks()
{
    ComputerManageWidget *tasks = mainWindow->computerManageWidget();
    for (int row = 0; row < tasks->taskTable()->rowCount(); ++row) {
        TableCellView *view = tasks->rowView(row);
        if (view && view->slider()->isChecked())
            view->slider()->toggle();
    }
}

void TrayIcon::exitProgram()
{
    showWindow();
    // The same question as the title bar's close button, answered the same way.
    mainWindow->menuBar()->askToExit();
}
