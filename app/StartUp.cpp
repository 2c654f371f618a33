#include "app/StartUp.h"

#include "platform/WindowForeground.h"
#include "storage/Connection.h"
#include "widgets/NoticeBox.h"
#include "widgets/ResourceText.h"

#include <QApplication>
#include <QDebug>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#ifdef Q_OS_LINUX
#include <QOpenGLContext>
#endif
#include <QLibraryInfo>
#include <QTextCodec>
#include <QTranslator>
#include <QWidget>

namespace {
const char *const EmbeddedFamily = "Tickvale Sans SC";
const char *const SystemCjkFamily = "Noto Sans CJK SC";
#ifdef Q_OS_LINUX
const char *const GlIntegration = "QT_XCB_GL_INTEGRATION";
// Whether the GL setting is the program's own rather than the user's.
bool glIntegrationOurs = false;
#endif
}

void StartUp::prepareEnvironment()
{
#ifdef Q_OS_LINUX
    // Nothing is drawn with OpenGL; loading the GL stack would only cost memory.
    glIntegrationOurs = qEnvironmentVariableIsEmpty(GlIntegration);
    if (glIntegrationOurs)
        qputenv(GlIntegration, "none");
#endif
}

// The setting belongs to the X11 windowing layer; other systems have nothing to undo.
void StartUp::settleEnvironment()
{
#ifdef Q_OS_LINUX
    if (!glIntegrationOurs)
        return;
    // The windowing layer reads the setting when it first needs OpenGL, not when it starts:
    // asking it about OpenGL now makes it settle on "none" before the setting goes. A program
    // that needs OpenGL and is started by a task must not be told there is none.
    QOpenGLContext::supportsThreadedOpenGL();
    qunsetenv(GlIntegration);
    glIntegrationOurs = false;
#endif
}

void StartUp::applyLocaleCodec()
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForLocale());
}

QTranslator *StartUp::installQtTranslations(QApplication &application)
{
    auto *translator = new QTranslator(&application);
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    // The Windows program carries them itself: Qt for Windows comes without.
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)
        && !translator->load(QStringLiteral("qtbase_zh_CN"), QStringLiteral(":/translations"))) {
        qWarning() << "Qt's Chinese translations (qtbase_zh_CN.qm) are not in" << folder
                   << ": Qt's own texts stay English";
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

void StartUp::applyStyleSheet(QApplication &application)
{
    application.setStyleSheet(ResourceText::read(QStringLiteral(":/Tickvale/VATMenu")));
}

void StartUp::registerFont()
{
    if (QFontDatabase::addApplicationFont(QStringLiteral(":/Tickvale/PingFangSC")) < 0)
        qWarning() << "The embedded interface font could not be registered";
    // The families the interface asks for are not on every system: draw them with the
    // embedded face, and with the system's Chinese face for text outside it.
    const QStringList fallback = {QString::fromLatin1(EmbeddedFamily), QString::fromLatin1(SystemCjkFamily)};
    for (const char *family : {"Microsoft YaHei", "PingFangSC-Regular", "PingFangSC-Medium"})
        QFont::insertSubstitutions(QString::fromLatin1(family), fallback);
}

void StartUp::applyApplicationFont()
{
    QFont font(QStringLiteral("Microsoft YaHei"), 12);
    font.setItalic(false);
    font.setWeight(50);
    QApplication::setFont(font);
}

void StartUp::applyWindowIcon(QApplication &application)
{
    QIcon icon;
    for (int side : {250, 128, 64, 48, 32, 24, 16})
        icon.addFile(QStringLiteral(":/Tickvale/icon_%1").arg(side), QSize(side, side));
    application.setWindowIcon(icon);
}

void StartUp::showMainWindow(QWidget &window)
{
    window.setFixedSize(900, 780);
    registerFont();
    applyApplicationFont();
    window.show();
}

void StartUp::bringToFront(QWidget &window)
{
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
#ifdef Q_OS_LINUX
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        WindowForeground::bringToFront(window.winId());
#endif
}

void StartUp::reportStorageProblem(QWidget &window)
{
    Connection connection(nullptr);
    const Connection::StorageState state = connection.checkStorage();
    if (state == Connection::Usable)
        return;
    qWarning() << "database.db cannot keep the tasks:" << state << connection.lastErrorText();
    NoticeBox::show(&window, Connection::storageProblemText(state, connection.lastErrorText()));
}
