#include "app/Tickvale.h"

#include "app/AutostartEntry.h"
#include "app/MenuBar.h"
#include "app/PushButton.h"
#include "app/TabStyle.h"
#include "app/TrayIcon.h"
#include "log_ui/LogManageWidget.h"
#include "storage/Connection.h"
#include "storage/UserSettings.h"
#include "tasks_ui/ComputerManageWidget.h"
#include "tasks_ui/LastWarningPresenter.h"
#include "widgets/VendorPages.h"
#include "widgets/WindowDrag.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

Tickvale::Tickvale(QWidget *parent)
    : QWidget(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("TickvaleClass"));
    resize(600, 400);
    setWindowTitle(QStringLiteral("Tickvale"));

    connection = new Connection(this);
    connection->createTables();

    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(900, 780);
    applyBackground();

    settings = new UserSettings(this);
    titleBar = new MenuBar(nullptr, settings);
    setWindowTitle(QStringLiteral("TickvalePro"));

    tabs = new QTabWidget(this);
    // A widget does not own the style it is given: the tab widget does, and it outlives its bar.
    auto *tabStyle = new TabStyle;
    tabStyle->setParent(tabs);
    tabs->tabBar()->setStyle(tabStyle);

    auto *layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(titleBar, 1);
    layout->addWidget(tabs, 22);

    computerManage = new ComputerManageWidget(nullptr);
    computerManage->setObjectName(QStringLiteral("Com"));
    logManage = new LogManageWidget(nullptr);
    tabs->addTab(computerManage, QStringLiteral("  定时关机"));
    tabs->addTab(logManage, QStringLiteral("  日志管理"));

    help = new PushButton(QStringLiteral(":/Tickvale/help"), QStringLiteral(":/Tickvale/help_selected"),
                          QStringLiteral(":/Tickvale/help_selected"), this);
    help->setObjectName(QStringLiteral("helpButton"));
    help->setFixedSize(100, 100);
    help->move(800, 40);
    connect(help, &QPushButton::clicked, this, [] { VendorPages::openHelpPage(); });

    setLayout(layout);
    // The layout was installed after the button was made; keep the button over the tab row.
    help->raise();

    warnings = new LastWarningPresenter(computerManage->scheduler(), settings, this);
    tray = TrayIcon::createIfAvailable(this);
    // Tasks restored below are armed after the warnings are in place, so they warn too.
    connect(settings, &UserSettings::choiceChanged, this,
            [this](UserSettings::Choice choice, bool on) { applyChoice(choice, on); });
    computerManage->keepArmedTasks(settings);
}

void Tickvale::applyChoice(int choice, bool on)
{
    if (choice != UserSettings::StartAtLogin)
        return;
    // The entry starts this program in this folder, so that it finds this database again.
    if (on)
        AutostartEntry::install(QCoreApplication::applicationFilePath(),
                                QFileInfo(Connection::databasePath()).absolutePath());
    else
        AutostartEntry::remove();
}

void Tickvale::applyBackground()
{
    QPalette background = palette();
    background.setBrush(QPalette::All, QPalette::Window, QBrush(QPixmap(QStringLiteral(":/Tickvale/background"))));
    setPalette(background);
}

void Tickvale::mousePressEvent(QMouseEvent *event)
{
    WindowDrag::start(this, event);
}

MenuBar *Tickvale::menuBar() const
{
    return titleBar;
}

ComputerManageWidget *Tickvale::computerManageWidget() const
{
    return computerManage;
}

LogManageWidget *Tickvale::logManageWidget() const
{
    return logManage;
}

LastWarningPresenter *Tickvale::lastWarnings() const
{
    return warnings;
}

TrayIcon *Tickvale::trayIcon() const
{
    return tray;
}
