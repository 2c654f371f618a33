#pragma once

class QApplication;
class QWidget;

// The steps between the start of the process and the first shown frame.
class StartUp
{
public:
    // Settings the windowing layer reads when the application object is made.
    static void prepareEnvironment();
    static void applyLocaleCodec();
    static void applyStyleSheet(QApplication &application);
    static void registerFont();
    static void applyApplicationFont();
    static void applyWindowIcon(QApplication &application);
    // Fixes the main window's size and shows it on the first screen.
    static void showMainWindow(QWidget &window);
    // Tells the user, once, over the shown window, when "database.db" cannot keep the tasks.
    static void reportStorageProblem(QWidget &window);
};
