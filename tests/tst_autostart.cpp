#include "FakeInputSource.h"
#include "ScratchDirectory.h"
#include "app/AutostartEntry.h"
#include "app/MenuBar.h"
#include "app/Tickvale.h"
#include "monitors/TAVMouseNKeyboardHook.h"

#include <QCheckBox>
#include <QTemporaryDir>
#include <QtTest>

// The log-in start entry: its text as the desktop reads it, and the "more" menu's choice that
// writes and removes it.
class TestAutostart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void execArgumentsAreQuotedWhereTheDesktopWouldSplitThem_data();
    void execArgumentsAreQuotedWhereTheDesktopWouldSplitThem();
    void entryStartsTheProgramMinimisedInItsFolder_data();
    void entryStartsTheProgramMinimisedInItsFolder();
    void entryFolderFollowsTheConfigurationFolder();
    void menuChoiceWritesAndRemovesTheEntry();

private:
    QTemporaryDir config;
};

void TestAutostart::initTestCase()
{
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tickvale-test-bus");
    // The main window's settings and the entry both go to a folder of this suite's own.
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    TAVMouseNKeyboardHook::setSourceFactory([] { return std::make_unique<FakeInputSource>(); });
}

void TestAutostart::execArgumentsAreQuotedWhereTheDesktopWouldSplitThem_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("word");
    // The argument, then the word the Exec line holds for it.
    const QList<QPair<QString, QString>> words = {
        {"--minimized", "--minimized"},
        {"/opt/Tickvale Pro/tickvale", "\"/opt/Tickvale Pro/tickvale\""},
        {"/home/a$b/tickvale", "\"/home/a\\$b/tickvale\""},
        {"/home/say \"hi\"/t", "\"/home/say \\\"hi\\\"/t\""},
        {"/home/a\\b/t", "\"/home/a\\\\b/t\""},
        {"/home/`x`/t", "\"/home/\\`x\\`/t\""},
        {"/home/it's/t", "\"/home/it's/t\""},
        // A lone percent sign would be read as a field code.
        {"/home/100%/t", "/home/100%%/t"},
        {"", "\"\""},
    };
    for (const auto &[argument, word] : words)
        QTest::addRow("%s", qPrintable(argument)) << argument << word;
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
    ScratchDirectory scratch;
    QFile entry(config.filePath("autostart/tickvale.desktop"));
    entry.remove();
    Tickvale window;
    QCheckBox *choice = nullptr;
    for (QCheckBox *check : window.menuBar()->findChildren<QCheckBox *>()) {
        if (check->text() == QStringLiteral("开机自动启动"))
            choice = check;
    }
    QVERIFY(choice);
    QVERIFY(!choice->isChecked());

    choice->click();
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(entry.readAll()).split('\n');
    entry.close();
    const QString program = AutostartEntry::execArgument(QCoreApplication::applicationFilePath());
    QCOMPARE(lines.filter(QRegularExpression("^Exec=")), QStringList{"Exec=" + program + " --minimized"});
    QCOMPARE(lines.filter(QRegularExpression("^Path=")), QStringList{"Path=" + QDir::currentPath()});

    choice->click();
    QVERIFY(!entry.exists());
    TAVMouseNKeyboardHook::uninstallHook();
}

QTEST_MAIN(TestAutostart)
#include "tst_autostart.moc"
