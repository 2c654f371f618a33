#include "FakeInputSource.h"
#include "ScratchDirectory.h"
#include "app/MenuBar.h"
#include "app/PushButton.h"
#include "app/StartUp.h"
#include "app/TabStyle.h"
#include "app/Tickvale.h"
#include "app/VATCloseMessageBox.h"
#include "monitors/TAVMouseNKeyboardHook.h"
#include "tasks_ui/ComputerManageWidget.h"
#include "widgets/TAVLoadFontFamilyFiles.h"
#include "widgets/TAVMenu.h"
#include "widgets/TAVPushButton.h"

#include <QDesktopServices>
#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QSqlQuery>
#include <QStyleOptionTab>
#include <QtTest>

#include <memory>

// Catches the addresses the program hands to the browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

namespace {

struct TabDrawing
{
    QImage image;
    QImage bare; // the picture alone, on black
    QRect captionBox;
    int captionInk = 0; // near-white caption pixels
};

// Draws one tab label the way the tab bar asks for it and measures the caption: what differs
// from this picture drawn alone.
TabDrawing drawTab(QStyleOptionTab::TabPosition position, bool selected, const QString &picture)
{
    TabStyle style;
    QStyleOptionTab option;
    option.rect = QRect(0, 0, 90, 90);
    option.text = QStringLiteral("  定时关机");
    option.position = position;
    option.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
    TabDrawing drawing;
    drawing.image = QImage(100, 100, QImage::Format_ARGB32);
    drawing.image.fill(Qt::black);
    drawing.bare = drawing.image.copy();
    QPainter painter(&drawing.image);
    style.drawControl(QStyle::CE_TabBarTabLabel, &option, &painter);
    painter.end();
    QPainter picturePainter(&drawing.bare);
    picturePainter.drawPixmap(0, 0, QPixmap(picture));
    picturePainter.end();
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            const QColor is = drawing.image.pixelColor(x, y);
            if (is == drawing.bare.pixelColor(x, y))
                continue;
            drawing.captionBox |= QRect(x, y, 1, 1);
            if (is.lightness() > 200)
                ++drawing.captionInk;
        }
    }
    return drawing;
}

// The title bar's button with this tool tip.
TAVPushButton *titleButton(const MenuBar &bar, const QString &toolTip)
{
    for (auto *button : bar.findChildren<TAVPushButton *>()) {
        if (button->toolTip() == toolTip)
            return button;
    }
    return nullptr;
}

// The exit confirmation on the screen, if any.
VATCloseMessageBox *shownCloseBox()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<VATCloseMessageBox *>(window); box && box->isVisible())
            return box;
    }
    return nullptr;
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void mainWindowStoresWatchesAndHelpsBeforeItIsShown();
    void tabPicturePerPosition_data();
    void tabPicturePerPosition();
    void selectedTabHasBoldWhiteCentredCaption();
    void helpButtonReleaseEdges_data();
    void helpButtonReleaseEdges();
    void moreMenuEntriesOpenTheVendorPages();
    void menuPlacement_data();
    void menuPlacement();
    void minimiseButtonMinimisesTheWindow();
    void cancelKeepsTheProgramRunning();
    void confirmEndsTheEventLoopAndRemovesTheHook();
    void startUpAppliesStyleSheetAndFont();
    void fontLoaderSkipsHiddenEntries_data();
    void fontLoaderSkipsHiddenEntries();
    void startedProgramsDoNotInheritTheGraphicsSetting_data();
    void startedProgramsDoNotInheritTheGraphicsSetting();

private:
    std::unique_ptr<ScratchDirectory> scratch;
    UrlCatcher catcher;
    QPointer<FakeInputSource> input;
};

void TestShell::initTestCase()
{
    // No task is armed here; should one ever be, its power request reaches no real manager.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tickvale-test-bus");
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    TAVMouseNKeyboardHook::setSourceFactory([this] {
        auto source = std::make_unique<FakeInputSource>();
        input = source.get();
        return source;
    });
}

void TestShell::init()
{
    scratch = std::make_unique<ScratchDirectory>();
    catcher.urls.clear();
}

void TestShell::cleanup()
{
    TAVMouseNKeyboardHook::uninstallHook();
    scratch.reset();
}

void TestShell::mainWindowStoresWatchesAndHelpsBeforeItIsShown()
{
    QVERIFY(!QFile::exists("database.db"));
    Tickvale window;
    QVERIFY(!window.isVisible());
    QSqlQuery query(QSqlDatabase::database());
    QVERIFY(query.exec("select count(*) from order_t"));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 12);
    // Building the timed-task tab started the input watch for it.
    QVERIFY(TAVMouseNKeyboardHook::isInstalled());
    QSignalSpy activity(window.computerManageWidget()->inputHook(), &TAVMouseNKeyboardHook::hasAction);
    input->press();
    QCOMPARE(activity.size(), 1);
    // Its help button opens the help page.
    QTest::mouseClick(window.findChild<PushButton *>("helpButton"), Qt::LeftButton);
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(catcher.urls.first().isLocalFile());
    QVERIFY(catcher.urls.first().path().endsWith("/help/help.html"));
}

void TestShell::tabPicturePerPosition_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("picture");
    QTest::newRow("first") << int(QStyleOptionTab::Beginning) << false << ":/Tickvale/schedule_0";
    QTest::newRow("first selected") << int(QStyleOptionTab::Beginning) << true << ":/Tickvale/schedule_selected_0";
    QTest::newRow("middle") << int(QStyleOptionTab::Middle) << false << ":/Tickvale/schedule_0";
    QTest::newRow("last selected") << int(QStyleOptionTab::End) << true << ":/Tickvale/schedule_selected_1";
    QTest::newRow("lone") << int(QStyleOptionTab::OnlyOneTab) << false << ":/Tickvale/schedule_1";
}

void TestShell::tabPicturePerPosition()
{
    QFETCH(int, position);
    QFETCH(bool, selected);
    QFETCH(QString, picture);
    QVERIFY(!QPixmap(picture).isNull());
    // The picture is drawn unscaled at the top-left of the tab.
    const TabDrawing drawing = drawTab(QStyleOptionTab::TabPosition(position), selected, picture);
    const QRect aboveCaption(0, 0, 100, 50);
    QCOMPARE(drawing.image.copy(aboveCaption), drawing.bare.copy(aboveCaption));
}

void TestShell::selectedTabHasBoldWhiteCentredCaption()
{
    const TabDrawing selected = drawTab(QStyleOptionTab::Beginning, true, ":/Tickvale/schedule_selected_0");
    const TabDrawing normal = drawTab(QStyleOptionTab::Beginning, false, ":/Tickvale/schedule_0");
    for (const TabDrawing *drawing : {&selected, &normal}) {
        QVERIFY(!drawing->captionBox.isEmpty());
        // Centred in the tab, 26 pixels below its middle (the caption starts with two blanks).
        QVERIFY2(qAbs(drawing->captionBox.center().y() - (45 + 26)) <= 3,
                 qPrintable(QString::number(drawing->captionBox.center().y())));
        QVERIFY2(drawing->captionBox.center().x() > 45 && drawing->captionBox.center().x() < 60,
                 qPrintable(QString::number(drawing->captionBox.center().x())));
        QColor brightest(Qt::black);
        for (int y = drawing->captionBox.top(); y <= drawing->captionBox.bottom(); ++y) {
            for (int x = drawing->captionBox.left(); x <= drawing->captionBox.right(); ++x) {
                if (drawing->image.pixelColor(x, y).lightness() > brightest.lightness())
                    brightest = drawing->image.pixelColor(x, y);
            }
        }
        QCOMPARE(brightest, QColor(Qt::white));
    }
    QVERIFY2(selected.captionInk > normal.captionInk * 1.15,
             qPrintable(QStringLiteral("%1 vs %2").arg(selected.captionInk).arg(normal.captionInk)));
}

void TestShell::helpButtonReleaseEdges_data()
{
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<bool>("clicked");
    QTest::newRow("top-left corner") << QPoint(0, 0) << true;
    QTest::newRow("right and bottom edges") << QPoint(100, 100) << true;
    QTest::newRow("past the right edge") << QPoint(101, 50) << false;
    QTest::newRow("past the bottom edge") << QPoint(50, 101) << false;
    QTest::newRow("left of it") << QPoint(-1, 50) << false;
    QTest::newRow("above it") << QPoint(50, -1) << false;
}

void TestShell::helpButtonReleaseEdges()
{
    QFETCH(QPoint, release);
    QFETCH(bool, clicked);
    PushButton button(":/Tickvale/help", ":/Tickvale/help_selected", ":/Tickvale/help_selected", nullptr);
    QSignalSpy clicks(&button, &QPushButton::clicked);
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QCOMPARE(button.hoverState(), PushButton::Pressed);
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, release);
    QCOMPARE(clicks.size(), clicked ? 1 : 0);
    if (clicked)
        QCOMPARE(clicks.first().at(0).toBool(), false);
    QCOMPARE(button.hoverState(), PushButton::Hovered);
}

void TestShell::moreMenuEntriesOpenTheVendorPages()
{
    MenuBar bar(nullptr);
    QStringList texts;
    for (QAction *action : titleButton(bar, "更多")->menu()->actions()) {
        texts << action->text();
        action->trigger();
    }
    QCOMPARE(texts, (QStringList{"官方网站", "帮助"}));
    QCOMPARE(catcher.urls.size(), 2);
    QCOMPARE(catcher.urls.at(0).scheme(), QStringLiteral("https"));
    QVERIFY(catcher.urls.at(1).path().endsWith("/help/help.html"));
}

void TestShell::menuPlacement_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("anchorWidth");
    QTest::addColumn<int>("expectedShift");
    QTest::addColumn<int>("tipX"); // in the menu
    QTest::newRow("centre under a 14-pixel button") << int(TAVMenu::RectInCenter) << 14 << -43 << 50;
    QTest::newRow("centre under a 40-pixel button") << int(TAVMenu::RectInCenter) << 40 << -30 << 50;
    QTest::newRow("right edges line up") << int(TAVMenu::RectInRight) << 14 << -86 << 83;
    QTest::newRow("left arrow points at the button") << int(TAVMenu::RectInLeft) << 14 << -16 << 23;
}

void TestShell::menuPlacement()
{
    QFETCH(int, position);
    QFETCH(int, anchorWidth);
    QFETCH(int, expectedShift);
    QFETCH(int, tipX);
    QWidget host;
    host.resize(400, 200);
    auto *anchor = new QPushButton(&host);
    anchor->setGeometry(200, 20, anchorWidth, 14);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    TAVMenu menu(&host, anchor);
    menu.setFixedSize(100, 67);
    menu.setRectPosition(TAVMenu::RectPosition(position));
    menu.addAction("x");
    const QPoint below = anchor->mapToGlobal(QPoint(0, anchor->height()));
    menu.popup(below);
    QVERIFY(menu.isVisible());
    QCOMPARE(menu.pos(), below + QPoint(expectedShift, 0));
    // The arrow's tip sits over the middle of the button, except when the right edges line up.
    if (position != TAVMenu::RectInRight)
        QVERIFY(qAbs(menu.x() + tipX - (below.x() + anchorWidth / 2)) <= 1);
    // The blue outline reaches up to y = 3 only at the arrow's tip.
    const QImage drawn = menu.grab().toImage();
    auto isOutline = [&drawn](int x, int y) {
        const QColor colour = drawn.pixelColor(x, y);
        return colour.alpha() > 100 && colour.blue() > colour.red() + 40;
    };
    QVERIFY(isOutline(tipX, 4) || isOutline(tipX, 3));
    for (int x : {5, 95})
        QVERIFY(!isOutline(x, 4));
    QCOMPARE(drawn.pixelColor(50, 40), QColor(Qt::white));
    menu.close();
}

void TestShell::minimiseButtonMinimisesTheWindow()
{
    QWidget window;
    auto *bar = new MenuBar(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(titleButton(*bar, "最小化"), Qt::LeftButton);
    QTRY_VERIFY(window.windowState() & Qt::WindowMinimized);
    QVERIFY(!shownCloseBox());
}

void TestShell::cancelKeepsTheProgramRunning()
{
    MenuBar bar(nullptr);
    TAVMouseNKeyboardHook hook;
    TAVMouseNKeyboardHook::installHook(&hook);
    QTest::mouseClick(titleButton(bar, "关闭"), Qt::LeftButton);
    QPointer<VATCloseMessageBox> box = shownCloseBox();
    QVERIFY(box);
    QCOMPARE(box->windowModality(), Qt::ApplicationModal);
    QSignalSpy confirmed(box.data(), &VATCloseMessageBox::confirmSignal);
    QTest::mouseClick(box->cancelButton(), Qt::LeftButton);
    QVERIFY(confirmed.isEmpty());
    QTRY_VERIFY(!box);
    QVERIFY(TAVMouseNKeyboardHook::isInstalled());
    QVERIFY(input && input->running);
}

void TestShell::confirmEndsTheEventLoopAndRemovesTheHook()
{
    MenuBar bar(nullptr);
    TAVMouseNKeyboardHook hook;
    TAVMouseNKeyboardHook::installHook(&hook);
    QSignalSpy activity(&hook, &TAVMouseNKeyboardHook::hasAction);
    QTest::mouseClick(titleButton(bar, "关闭"), Qt::LeftButton);
    VATCloseMessageBox *box = shownCloseBox();
    QVERIFY(box);
    QTimer::singleShot(0, box, [box] { QTest::mouseClick(box->confirmButton(), Qt::LeftButton); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!TAVMouseNKeyboardHook::isInstalled());
    // The watch itself is gone: nothing is left that could report input.
    QVERIFY(!input);
    QCOMPARE(activity.size(), 0);
}

void TestShell::startUpAppliesStyleSheetAndFont()
{
    StartUp::applyStyleSheet(*qApp);
    QVERIFY(qApp->styleSheet().contains("QLabel#ActionLabel:hover"));

    StartUp::registerFont();
    StartUp::applyApplicationFont();
    const QFont font = QApplication::font();
    QCOMPARE(font.family(), QStringLiteral("Microsoft YaHei"));
    QCOMPARE(font.pointSize(), 12);
    QVERIFY(QFontDatabase().families().contains("Tickvale Sans SC"));
    qApp->setStyleSheet(QString());
}

void TestShell::fontLoaderSkipsHiddenEntries_data()
{
    QTest::addColumn<QStringList>("fonts");
    QTest::addColumn<QString>("found");
    QTest::newRow("no font at all") << QStringList{} << QString();
    QTest::newRow("in a cache folder") << QStringList{".cache/fontconfig/face.ttf"} << QString();
    QTest::newRow("a hidden file") << QStringList{".face.ttf"} << QString();
    QTest::newRow("nested, beside hidden ones")
        << QStringList{".local/share/fonts/hidden.ttf", "fonts/nested/face.ttf", ".face.ttf"}
        << "fonts/nested/face.ttf";
}

void TestShell::fontLoaderSkipsHiddenEntries()
{
    QFETCH(QStringList, fonts);
    QFETCH(QString, found);
    // Only *.ttf files count, and a link back up the tree must not make the walk endless.
    QVERIFY(QFile::copy(":/Tickvale/VATMenu", "not-a-font.otf"));
    QVERIFY(QFile::link(QDir::currentPath(), "loop"));
    for (const QString &font : fonts + QStringList{"not-a-font.otf"}) {
        QVERIFY(QDir().mkpath(QFileInfo(font).path()));
        QVERIFY(font.endsWith(".otf") || QFile::copy(":/Tickvale/PingFangSC", font));
        // Copies of resources are read-only, which would keep Windows from clearing them away.
        QVERIFY(QFile::setPermissions(font, QFile::ReadOwner | QFile::WriteOwner));
    }
    if (found.isEmpty())
        QTest::ignoreMessage(QtInfoMsg, "Open font file error");
    TAVLoadFontFamilyFiles loader(nullptr);
    QCOMPARE(loader.fontFilePath, found.isEmpty() ? QString() : QDir::currentPath() + "/" + found);
    // Without a font the family is empty, and the failure is logged again.
    if (found.isEmpty())
        QTest::ignoreMessage(QtInfoMsg, "Open font file error");
    QCOMPARE(loader.loadFontFamily(), found.isEmpty() ? QString() : QStringLiteral("Tickvale Sans SC"));
}

void TestShell::startedProgramsDoNotInheritTheGraphicsSetting_data()
{
    QTest::addColumn<QByteArray>("usersValue");
    QTest::addColumn<QString>("childSees");
    QTest::newRow("set by the program for itself") << QByteArray() << "unset";
    QTest::newRow("set by the user") << QByteArray("xcb_egl") << "xcb_egl";
}

void TestShell::startedProgramsDoNotInheritTheGraphicsSetting()
{
#ifndef Q_OS_LINUX
    QSKIP("The graphics setting belongs to the X11 windowing layer");
#endif
    QFETCH(QByteArray, usersValue);
    QFETCH(QString, childSees);
    const QByteArray saved = qgetenv("QT_XCB_GL_INTEGRATION");
    if (usersValue.isEmpty())
        qunsetenv("QT_XCB_GL_INTEGRATION");
    else
        qputenv("QT_XCB_GL_INTEGRATION", usersValue);
    StartUp::prepareEnvironment();
    // What the windowing layer reads when the application object is made.
    QCOMPARE(qgetenv("QT_XCB_GL_INTEGRATION"), usersValue.isEmpty() ? QByteArray("none") : usersValue);
    StartUp::settleEnvironment();
    QProcess child;
    child.start("sh", {"-c", "printf %s \"${QT_XCB_GL_INTEGRATION-unset}\""});
    QVERIFY(child.waitForFinished(5000));
    qputenv("QT_XCB_GL_INTEGRATION", saved);
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()), childSees);
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
