#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

class Tickvale;
class TaskScheduler;

// The program's icon in the desktop's tray: its tool tip names the next task due; a click
// brings the window back; its menu shows the window, switches every task off, or exits.
class TrayIcon final : public QObject
{
    Q_OBJECT
public:
    // Null where the desktop has no tray; the program then goes on without one.
    static TrayIcon *createIfAvailable(Tickvale *window);

    QSystemTrayIcon *icon();
    QMenu *menu();
    QString toolTip() const;

public slots:
    void updateToolTip();
    void showWindow();
    // Every switch that is on goes off, as if the user had clicked it.
    void pauseAllTasks();
    void exitProgram();

private:
    explicit TrayIcon(Tickvale *window);
    void buildMenu();

    Tickvale *mainWindow;
    TaskScheduler *scheduler;
    QSystemTrayIcon tray;
    QMenu contextMenu;
    // Moments of idle and rate tasks move with the desktop's input and traffic; "今天" becomes
    // "明天"'s successor at midnight.
    QTimer refresher;
};
