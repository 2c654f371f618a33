#include "app/StartUp.h"
#include "app/Tickvale.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    StartUp::prepareEnvironment();
    QApplication application(argc, argv);
    StartUp::settleEnvironment();
    StartUp::applyLocaleCodec();
    StartUp::installQtTranslations(application);
    StartUp::applyStyleSheet(application);
    StartUp::applyWindowIcon(application);
    Tickvale window;
    StartUp::showMainWindow(window);
    StartUp::reportStorageProblem(window);
    return application.exec();
}
