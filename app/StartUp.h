#pragma once

class QApplication;
class QTranslator;
class QWidget;

// The steps between the start of the process and the first shown frame.
class StartUp final
{
public:
    // Settings the windowing layer reads when the application object is made.
    static void prepareEnvironment();
    // Takes back, once the windowing layer has read them, the settings prepareEnvironment made
    // for this program alone: programs that tasks start inherit the environment.
    static void settleEnvironment();
    static void applyLocaleCodec();
    // Qt's own texts (file chooser, the buttons of message boxes) in Chinese, like the rest of
    // the interface, whatever the system's language. The translator, or null when missing.
    static QTranslator *installQtTranslations(QApplication &application);
    static void applyStyleSheet(QApplication &application);
    static void registerFont();
    static void applyApplicationFont();
    static void applyWindowIcon(QApplication &application);
    // Fixes the main window's size and shows it on the first screen.
    static void showMainWindow(QWidget &window);
    // Shows the window, not minimised, over the others and with the keyboard.
    static void bringToFront(QWidget &window);
    // Tells the user, once, over the shown window, when "database.db" cannot keep the tasks.
    static void reportStorageProblem(QWidget &window);
};
