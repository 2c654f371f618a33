#include "FakeInputSource.h"
#include "ScratchDirectory.h"
#include "app/AutostartEntry.h"
#include "app/MenuBar.h"
#include "app/Tickvale.h"
#include "monitors/TAVMouseNKeyboardHook.h"
#include "widgets/TAVMenu.h"

#include <QCheckBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The log-in start entry: its text as the desktop reads it, and the "more" menu's choice that
// writes and removes it.
class TestAutostart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void execArgumentsAreQuotedWhereTheDesktopWouldSplitThem_data();
    void execArgumentsAreQuotedWhereTheDesktopWouldSplitThem();
    void entryStartsTheProgramMinimisedInItsFolder_data();
    void entryStartsTheProgramMinimisedInItsFolder();
    void entryFolderFollowsTheConfigurationFolder();
    void menuChoiceWritesAndRemovesTheEntry();

private:
    static QStringList linesOf(const QString &path);

    std::unique_ptr<ScratchDirectory> scratch;
    QTemporaryDir config;
};

void TestAutostart::initTestCase()
{
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tickvale-test-bus");
    // The main window's settings and the entry both go to a folder of this suite's own.
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    TAVMouseNKeyboardHook::setSourceFactory([] { return std::make_unique<FakeInputSource>(); });
}

void TestAutostart::init()
{
    scratch = std::make_unique<ScratchDirectory>();
}

void TestAutostart::cleanup()
{
    TAVMouseNKeyboardHook::uninstallHook();
    scratch.reset();
}

QStringList TestAutostart::linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void TestAutostart::execArgumentsAreQuotedWhereTheDesktopWouldSplitThem_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("word");
    QTest::newRow("plain path") << "/usr/lib/tickvale/tickvale"
                                << "/usr/lib/tickvale/tickvale";
    QTest::newRow("flag") << "--minimized"
                          << "--minimized";
    QTest::newRow("space") << "/opt/Tickvale Pro/tickvale"
                           << "\"/opt/Tickvale Pro/tickvale\"";
    QTest::newRow("dollar") << "/home/a$b/tickvale"
                            << "\"/home/a\\$b/tickvale\"";
    QTest::newRow("double quote") << "/home/say \"hi\"/t"
                                  << "\"/home/say \\\"hi\\\"/t\"";
    QTest::newRow("backslash") << "/home/a\\b/t"
                               << "\"/home/a\\\\b/t\"";
    QTest::newRow("backtick") << "/home/`x`/t"
                              << "\"/home/\\`x\\`/t\"";
    QTest::newRow("single quote") << "/home/it's/t"
                                  << "\"/home/it's/t\"";
    QTest::newRow("percent, a field code otherwise") << "/home/100%/t"
                                                     << "/home/100%%/t";
    QTest::newRow("Chinese folder") << "/home/用户/定时"
                                    << "/home/用户/定时";
    QTest::newRow("empty") << ""
                           << "\"\"";
}

void TestAutostart::execArgumentsAreQuotedWhereTheDesktopWouldSplitThem()
{
    QFETCH(QString, argument);
    QFETCH(QString, word);
    QCOMPARE(AutostartEntry::execArgument(argument), word);
}

void TestAutostart::entryStartsTheProgramMinimisedInItsFolder_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("execLine");
    QTest::addColumn<QString>("pathLine");
    QTest::newRow("installed") << "/usr/lib/tickvale/tickvale"
                               << "/home/u/.local/share/tickvale"
                               << "Exec=/usr/lib/tickvale/tickvale --minimized"
                               << "Path=/home/u/.local/share/tickvale";
    QTest::newRow("spaces") << "/opt/Tick vale/tickvale"
                            << "/home/u/my tasks"
                            << "Exec=\"/opt/Tick vale/tickvale\" --minimized"
                            << "Path=/home/u/my tasks";
    // A backslash inside quotes is escaped for the Exec rule, then again for the string rule.
    QTest::newRow("backslash") << "/a\\b c/t"
                               << "/w\\x"
                               << "Exec=\"/a\\\\\\\\b c/t\" --minimized"
                               << "Path=/w\\\\x";
    QTest::newRow("leading space in the folder") << "/t"
                                                 << " /odd"
                                                 << "Exec=/t --minimized"
                                                 << "Path=\\s/odd";
}

void TestAutostart::entryStartsTheProgramMinimisedInItsFolder()
{
    QFETCH(QString, program);
    QFETCH(QString, folder);
    QFETCH(QString, execLine);
    QFETCH(QString, pathLine);
    const QStringList lines =
        AutostartEntry::entryText(program, {AutostartEntry::MinimizedFlag}, folder).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
    QCOMPARE(lines.filter(QRegularExpression("^Exec=")), QStringList{execLine});
    QCOMPARE(lines.filter(QRegularExpression("^Path=")), QStringList{pathLine});
    for (const char *line : {"Type=Application", "Name=Tickvale Pro", "GenericName=定时任务", "Icon=tickvale-pro"})
        QVERIFY2(lines.contains(QString::fromUtf8(line)), line);
}

void TestAutostart::entryFolderFollowsTheConfigurationFolder()
{
    QCOMPARE(AutostartEntry::entryPath(), config.filePath("autostart/tickvale.desktop"));
    const QByteArray kept = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "relative/ignored");
    QCOMPARE(AutostartEntry::entryPath(), QDir::homePath() + "/.config/autostart/tickvale.desktop");
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(AutostartEntry::entryPath(), QDir::homePath() + "/.config/autostart/tickvale.desktop");
    qputenv("XDG_CONFIG_HOME", kept);
}

void TestAutostart::menuChoiceWritesAndRemovesTheEntry()
{
    const QString entry = config.filePath("autostart/tickvale.desktop");
    QFile::remove(entry);
    Tickvale window;
    QCheckBox *choice = nullptr;
    for (QCheckBox *check : window.menuBar()->findChildren<QCheckBox *>()) {
        if (check->text() == QStringLiteral("开机自动启动"))
            choice = check;
    }
    QVERIFY(choice);
    QVERIFY(!choice->isChecked());
    QVERIFY(!QFile::exists(entry));

    choice->click();
    const QStringList lines = linesOf(entry);
    const QString program = AutostartEntry::execArgument(QCoreApplication::applicationFilePath());
    QCOMPARE(lines.filter(QRegularExpression("^Exec=")), QStringList{"Exec=" + program + " --minimized"});
    QCOMPARE(lines.filter(QRegularExpression("^Path=")), QStringList{"Path=" + QDir::currentPath()});

    choice->click();
    QVERIFY(!QFile::exists(entry));
}

QTEST_MAIN(TestAutostart)
#include "tst_autostart.moc"
