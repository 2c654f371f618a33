#include "FakeInputSource.h"
#include "ModalAnswerer.h"
#include "QueryColumn.h"
#include "ScratchDirectory.h"
#include "VisibleWindow.h"
#include "app/MenuBar.h"
#include "app/PushButton.h"
#include "app/StartUp.h"
#include "app/TabStyle.h"
#include "app/Tickvale.h"
#include "app/VATCloseMessageBox.h"
#include "monitors/TAVMouseNKeyboardHook.h"
#include "storage/Connection.h"
#include "tasks_ui/ComputerManageWidget.h"
#include "widgets/TAVLoadFontFamilyFiles.h"
#include "widgets/TAVMenu.h"
#include "widgets/TAVPushButton.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QPainter>
#include <QStyleOptionTab>
#include <QTranslator>
#include <QtTest>

// Catches the addresses the program hands to the browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

// The main window, its title bar, tabs and menus, and what the program does as it starts.
class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
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
    void init()
    {
        TAVMouseNKeyboardHook::uninstallHook();
        scratch.reset();
        scratch = std::make_unique<ScratchDirectory>();
        catcher.urls.clear();
    }

    void mainWindowAndItsTitleBar()
    {
        Tickvale window;
        auto titleButton = [&window](const QString &toolTip) -> TAVPushButton * {
            for (auto *button : window.menuBar()->findChildren<TAVPushButton *>())
                if (button->toolTip() == toolTip)
                    return button;
            return nullptr;
        };
        // Before it is shown, the actions are stored and the timed-task tab watches the input.
        QCOMPARE(queryColumn("select count(*) from order_t"), QStringList{"12"});
        QVERIFY(TAVMouseNKeyboardHook::isInstalled());
        QSignalSpy activity(window.computerManageWidget()->inputHook(), &TAVMouseNKeyboardHook::hasAction);
        input->press();
        QCOMPARE(activity.size(), 1);
        // The help button and the entries of the "更多" menu open the help page and the vendor's site.
        QTest::mouseClick(window.findChild<PushButton *>("helpButton"), Qt::LeftButton);
        // (The user's choices follow them, and are not touched here.)
        QStringList opened;
        for (QAction *action : titleButton("更多")->menu()->actions().mid(0, 2))
            opened << action->text(), action->trigger();
        for (const QUrl &url : catcher.urls)
            opened << (url.isLocalFile() ? url.path().section('/', -2) : url.scheme());
        QCOMPARE(opened, (QStringList{"官方网站", "帮助", "help/help.html", "https", "help/help.html"}));
        // Minimising asks nothing.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(titleButton("最小化"), Qt::LeftButton);
        QTRY_VERIFY(window.windowState() & Qt::WindowMinimized);
        QVERIFY(!visibleWindow<VATCloseMessageBox>());
        // Closing asks first; cancelled, the program and its input watch go on.
        QTest::mouseClick(titleButton("关闭"), Qt::LeftButton);
        QPointer<VATCloseMessageBox> box = visibleWindow<VATCloseMessageBox>();
        QVERIFY(box && box->windowModality() == Qt::ApplicationModal);
        QSignalSpy confirmed(box.data(), &VATCloseMessageBox::confirmSignal);
        QTest::mouseClick(box->cancelButton(), Qt::LeftButton);
        QVERIFY(confirmed.isEmpty());
        QTRY_VERIFY(!box);
        QVERIFY(TAVMouseNKeyboardHook::isInstalled() && input && input->running);
        // Confirmed, the event loop ends with 0 and the watch is gone: nothing is left that could
        // report input.
        QTest::mouseClick(titleButton("关闭"), Qt::LeftButton);
        box = visibleWindow<VATCloseMessageBox>();
        QVERIFY(box);
        QTimer::singleShot(0, box, [box] { QTest::mouseClick(box->confirmButton(), Qt::LeftButton); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!TAVMouseNKeyboardHook::isInstalled() && !input);
        QCOMPARE(activity.size(), 1);
    }
    void tabPictureAndCaption()
    {
        // The picture of each position is drawn unscaled at the top-left of the tab. Below it the
        // caption is white, centred in the tab 26 pixels below its middle (it starts with two
        // blanks), and bold when the tab is selected: more of it is near-white.
        const QList<std::tuple<QStyleOptionTab::TabPosition, bool, QString>> tabs = {
            {QStyleOptionTab::Beginning, false, ":/Tickvale/schedule_0"},
            {QStyleOptionTab::Beginning, true, ":/Tickvale/schedule_selected_0"},
            {QStyleOptionTab::Middle, false, ":/Tickvale/schedule_0"},
            {QStyleOptionTab::End, true, ":/Tickvale/schedule_selected_1"},
            {QStyleOptionTab::OnlyOneTab, false, ":/Tickvale/schedule_1"}};
        QList<int> ink;
        for (const auto &[position, selected, picture] : tabs) {
            QStyleOptionTab option;
            option.rect = QRect(0, 0, 90, 90);
            option.text = QStringLiteral("  定时关机");
            option.position = position;
            option.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
            QImage image(100, 100, QImage::Format_ARGB32);
            image.fill(Qt::black);
            QImage bare = image.copy();
            QVERIFY(!QPixmap(picture).isNull());
            QPainter(&bare).drawPixmap(0, 0, QPixmap(picture));
            QPainter painter(&image);
            TabStyle().drawControl(QStyle::CE_TabBarTabLabel, &option, &painter);
            painter.end();
            QCOMPARE(image.copy(0, 0, 100, 50), bare.copy(0, 0, 100, 50));
            QRect caption;
            QColor brightest = Qt::black;
            ink << 0;
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 100; ++x) {
                    const QColor is = image.pixelColor(x, y);
                    if (is == bare.pixelColor(x, y))
                        continue;
                    caption |= QRect(x, y, 1, 1);
                    ink.last() += is.lightness() > 200;
                    brightest = is.lightness() > brightest.lightness() ? is : brightest;
                }
            const QPoint centre = caption.center();
            QVERIFY2(qAbs(centre.y() - (45 + 26)) <= 3 && centre.x() > 45 && centre.x() < 60,
                     qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
            QCOMPARE(brightest, QColor(Qt::white));
        }
        QVERIFY2(ink[1] > ink[0] * 1.15, qPrintable(QStringLiteral("%1 vs %2").arg(ink[1]).arg(ink[0])));
    }
    void helpButtonReleaseEdges()
    {
        // A press inside, released on the corners and just past each edge of the 100-pixel button.
        const QList<QPair<QPoint, bool>> releases = {{{0, 0}, true},     {{100, 100}, true}, {{101, 50}, false},
                                                     {{50, 101}, false}, {{-1, 50}, false},  {{50, -1}, false}};
        for (const auto &[release, clicked] : releases) {
            PushButton button(":/Tickvale/help", ":/Tickvale/help_selected", ":/Tickvale/help_selected", nullptr);
            QSignalSpy clicks(&button, &QPushButton::clicked);
            QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
            QCOMPARE(button.hoverState(), PushButton::Pressed);
            QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, release);
            QCOMPARE(clicks.size(), clicked ? 1 : 0);
            QVERIFY(button.hoverState() == PushButton::Hovered && (!clicked || !clicks.first().at(0).toBool()));
        }
    }
    void menuPlacement()
    {
        // Centred under the button, right edges lined up, the left arrow at the button; the tip's x
        // is in the menu.
        const QList<std::tuple<TAVMenu::RectPosition, int, int, int>> placements = {
            {TAVMenu::RectInCenter, 14, -43, 50},
            {TAVMenu::RectInCenter, 40, -30, 50},
            {TAVMenu::RectInRight, 14, -86, 83},
            {TAVMenu::RectInLeft, 14, -16, 23}};
        for (const auto &[position, anchorWidth, expectedShift, tipX] : placements) {
            QWidget host;
            host.resize(400, 200);
            auto *anchor = new QPushButton(&host);
            anchor->setGeometry(200, 20, anchorWidth, 14);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            TAVMenu menu(&host, anchor);
            menu.setFixedSize(100, 67);
            menu.setRectPosition(position);
            menu.addAction("x");
            const QPoint below = anchor->mapToGlobal(QPoint(0, anchor->height()));
            menu.popup(below);
            QVERIFY(menu.isVisible());
            QCOMPARE(menu.pos(), below + QPoint(expectedShift, 0));
            // The arrow's tip sits over the middle of the button, except when the right edges line up.
            QVERIFY(position == TAVMenu::RectInRight || qAbs(menu.x() + tipX - (below.x() + anchorWidth / 2)) <= 1);
            // The blue outline reaches up to y = 3 only at the arrow's tip.
            const QImage drawn = menu.grab().toImage();
            auto isOutline = [&drawn](int x, int y) {
                const QColor colour = drawn.pixelColor(x, y);
                return colour.alpha() > 100 && colour.blue() > colour.red() + 40;
            };
            QVERIFY((isOutline(tipX, 4) || isOutline(tipX, 3)) && !isOutline(5, 4) && !isOutline(95, 4));
            QCOMPARE(drawn.pixelColor(50, 40), QColor(Qt::white));
        }
    }
    void startUpAppliesFontAndChineseQtTexts()
    {
        StartUp::registerFont();
        StartUp::applyApplicationFont();
        QCOMPARE(QApplication::font().family() + QString::number(QApplication::font().pointSize()),
                 "Microsoft YaHei12");
        QVERIFY(QFontDatabase().families().contains("Tickvale Sans SC"));
        // Qt's own texts speak Chinese.
        QTranslator *translator = StartUp::installQtTranslations(*qApp);
        QVERIFY2(translator, "qttranslations5-l10n provides qtbase_zh_CN.qm (scripts/setup.sh installs it)");
        const std::unique_ptr<QTranslator> removedAtTheEnd(translator);
        QCOMPARE(QMessageBox(QMessageBox::Information, "", "", QMessageBox::Ok).buttons().value(0)->text(), "确定");
    }
    void fontLoaderSkipsHiddenEntries()
    {
        // Hidden folders and files are left out, only *.ttf files count, and a link back up the
        // tree must not make the walk endless.
        const QList<QPair<QStringList, QString>> cases = {
            {{".cache/fontconfig/face.ttf"}, QString()},
            {{".face.ttf"}, QString()},
            {{".local/share/fonts/hidden.ttf", "fonts/nested/face.ttf", ".face.ttf"}, "fonts/nested/face.ttf"}};
        for (const auto &[fonts, found] : cases) {
            ScratchDirectory folder;
            QVERIFY(QFile::copy(":/Tickvale/VATMenu", "not-a-font.otf"));
            QVERIFY(QFile::link(QDir::currentPath(), "loop"));
            for (const QString &font : fonts + QStringList{"not-a-font.otf"}) {
                QVERIFY(QDir().mkpath(QFileInfo(font).path()));
                QVERIFY(font.endsWith(".otf") || QFile::copy(":/Tickvale/PingFangSC", font));
                // Copies of resources are read-only, which would keep Windows from clearing them away.
                QVERIFY(QFile::setPermissions(font, QFile::ReadOwner | QFile::WriteOwner));
            }
            // Without a font the family is empty, and the failure is logged at each step.
            for (int step = 0; step < 2 && found.isEmpty(); ++step)
                QTest::ignoreMessage(QtInfoMsg, "Open font file error");
            TAVLoadFontFamilyFiles loader(nullptr);
            QCOMPARE(loader.fontFilePath, found.isEmpty() ? QString() : QDir::currentPath() + "/" + found);
            QCOMPARE(loader.loadFontFamily(), found.isEmpty() ? QString() : QStringLiteral("Tickvale Sans SC"));
        }
    }
    void startedProgramsDoNotInheritTheGraphicsSetting()
    {
#ifndef Q_OS_LINUX
        QSKIP("The graphics setting belongs to the X11 windowing layer");
#endif
        // Unset, the program sets it for itself only; set by the user, it is handed on.
        for (const QByteArray &usersValue : {QByteArray("xcb_egl"), QByteArray()}) {
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
            QCOMPARE(child.readAllStandardOutput(), usersValue.isEmpty() ? QByteArray("unset") : usersValue);
        }
    }
    void databaseThatCannotKeepTasksIsReportedOnce()
    {
        const QByteArray notes = QByteArray("The user's own notes, not a database.\n").repeated(200);
        // What is in the file's place, and what the user is told (nothing, for a usable database).
        const QList<QPair<QString, QString>> cases = {
            {"noise", "不是本程序能读取的数据库"}, {"folder", "无法打开数据库文件"}, {"none", QString()}};
        for (const auto &[fault, says] : cases) {
            ScratchDirectory folder;
            const QString path = folder.filePath("database.db");
            QFile file(path);
            if (fault == "folder")
                QVERIFY(QDir().mkpath(path));
            else if (fault == "noise")
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(notes) == notes.size());
            file.close();
            Connection(nullptr).createTables();
            QWidget window;
            window.show();
            ModalAnswerer answer("OK");
            StartUp::reportStorageProblem(window);
            if (!says.isEmpty()) {
                QTRY_VERIFY(answer.answered);
                QCOMPARE(answer.title, QStringLiteral("提示"));
                QVERIFY2(answer.text.contains(says) && answer.text.contains(QDir::toNativeSeparators(path)),
                         qPrintable(answer.text));
            }
            QTest::qWait(50);
            QVERIFY(!QApplication::activeModalWidget());
            QVERIFY(!says.isEmpty() || (!answer.answered && window.findChildren<QMessageBox *>().isEmpty()));
            // The user's file is left exactly as it was.
            QVERIFY(fault != "folder" || QFileInfo(path).isDir());
            QVERIFY(fault != "noise" || (file.open(QIODevice::ReadOnly) && file.readAll() == notes));
        }
    }

private:
    std::unique_ptr<ScratchDirectory> scratch;
    UrlCatcher catcher;
    QPointer<FakeInputSource> input;
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
