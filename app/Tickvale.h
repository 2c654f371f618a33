#pragma once

#include <QWidget>

class ComputerManageWidget;
class Connection;
class LastWarningPresenter;
class LogManageWidget;
class MenuBar;
class PushButton;
class QTabWidget;
class TrayIcon;
class UserSettings;

// The main window: title bar on top, then the two picture tabs and the help button.
class Tickvale final : public QWidget
{
    Q_OBJECT
public:
    explicit Tickvale(QWidget *parent = nullptr);

    MenuBar *menuBar() const;
    ComputerManageWidget *computerManageWidget() const;
    LogManageWidget *logManageWidget() const;
    LastWarningPresenter *lastWarnings() const;
    // Null where the desktop has no tray.
    TrayIcon *trayIcon() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void applyBackground();
    // Carries out a choice of the "more" menu that reaches beyond the program.
    void applyChoice(int choice, bool on);

    MenuBar *titleBar = nullptr;
    QTabWidget *tabs = nullptr;
    ComputerManageWidget *computerManage = nullptr;
    LogManageWidget *logManage = nullptr;
    Connection *connection = nullptr;
    PushButton *help = nullptr;
    UserSettings *settings = nullptr;
    LastWarningPresenter *warnings = nullptr;
    TrayIcon *tray = nullptr;
};
