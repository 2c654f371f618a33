#include "app/AutostartEntry.h"
#include "app/InstanceGuard.h"
#include "app/StartUp.h"
#include "app/Tickvale.h"
#include "storage/Connection.h"

#include <QApplication>
#include <QDebug>

int main(int argc, char *argv[])
{
    StartUp::prepareEnvironment();
    QApplication application(argc, argv);
    StartUp::settleEnvironment();
    // One program per working folder: a second start brings the first one's window forward.
    InstanceGuard guard(Connection::databasePath(), InstanceGuard::currentUser());
    if (!guard.claim())
        return guard.handOver() ? 0 : 1;
    StartUp::applyLocaleCodec();
    StartUp::installQtTranslations(application);
    StartUp::applyStyleSheet(application);
    StartUp::applyWindowIcon(application);
    Tickvale window;
    QObject::connect(&guard, &InstanceGuard::showRequested, &window, [&window] {
        qInfo() << "Another start in this folder: the window is brought to the front";
        StartUp::bringToFront(window);
    });
    if (QCoreApplication::arguments().contains(AutostartEntry::MinimizedFlag))
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
    StartUp::showMainWindow(window);
    StartUp::reportStorageProblem(window);
    return application.exec();
}
