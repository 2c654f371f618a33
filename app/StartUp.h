#pragma once

class QApplication;
class QWidget;

// The steps between the start of the process and the first shown frame.
class StartUp
{
public:
    // Settings the windowing layer reads when the application object is made.
    static void prepareEnvironment();
    // Takes back, once the windowing layer has read them, the settings prepareEnvironment made
    // for this program alone: programs that tasks start inherit the environment.
    static void settleEnvironment();
    static void applyLocaleCodec();
    static void applyStyleSheet(QApplication &application);
    static void registerFont();
    static void applyApplicationFont();
    static void applyWindowIcon(QApplication &application);
    // Fixes the main window's size and shows it on the first screen.
    static void showMainWindow(QWidget &window);
};
