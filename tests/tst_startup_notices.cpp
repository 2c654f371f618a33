#include "ModalAnswerer.h"
#include "ScratchDirectory.h"
#include "app/StartUp.h"
#include "storage/Connection.h"

#include <QAbstractButton>
#include <QCryptographicHash>
#include <QFileDialog>
#include <QMessageBox>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {

QByteArray digestOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

} // namespace

// What the user is told at start-up, and in which language Qt's own texts speak.
class TestStartUpNotices : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void databaseThatCannotKeepTasksIsReportedOnce_data();
    void databaseThatCannotKeepTasksIsReportedOnce();
    void qtTextsAreChinese();

private:
    std::unique_ptr<ScratchDirectory> scratch;
};

void TestStartUpNotices::init()
{
    scratch = std::make_unique<ScratchDirectory>();
}

void TestStartUpNotices::cleanup()
{
    scratch.reset();
}

void TestStartUpNotices::databaseThatCannotKeepTasksIsReportedOnce_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("says"); // empty: nothing is shown
    QTest::newRow("not a database") << "noise"
                                    << "不是本程序能读取的数据库";
    QTest::newRow("a folder in its place") << "folder"
                                           << "无法打开数据库文件";
    QTest::newRow("a usable database") << "none" << QString();
}

void TestStartUpNotices::databaseThatCannotKeepTasksIsReportedOnce()
{
    QFETCH(QString, fault);
    QFETCH(QString, says);
    const QString path = scratch->filePath("database.db");
    if (fault == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (fault == "noise") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("These are the user's own notes, not a database.\n").repeated(200));
    }
    const QByteArray before = digestOf(path);
    Connection(nullptr).createTables();
    QWidget window;
    window.resize(300, 200);
    window.show();
    ModalAnswerer answer("OK");
    StartUp::reportStorageProblem(window);
    if (!says.isEmpty()) {
        QTRY_VERIFY(answer.answered);
        QCOMPARE(answer.title, QStringLiteral("提示"));
        QVERIFY2(answer.text.contains(says), qPrintable(answer.text));
        QVERIFY2(answer.text.contains(QDir::toNativeSeparators(path)), qPrintable(answer.text));
        // The user's file is left exactly as it was.
        QCOMPARE(digestOf(path), before);
    }
    QTest::qWait(50);
    QVERIFY(!QApplication::activeModalWidget());
    if (says.isEmpty()) {
        QVERIFY(!answer.answered);
        QVERIFY(window.findChildren<QMessageBox *>().isEmpty());
    }
}

void TestStartUpNotices::qtTextsAreChinese()
{
    QTranslator *translator = StartUp::installQtTranslations(*qApp);
    QVERIFY2(translator, "qttranslations5-l10n provides qtbase_zh_CN.qm (scripts/setup.sh installs it)");
    QMessageBox box(QMessageBox::Information, QStringLiteral("提示"), QStringLiteral("请选择任务执行条件"),
                    QMessageBox::Ok);
    QCOMPARE(box.buttons().value(0)->text(), QStringLiteral("确定"));
    QFileDialog chooser(nullptr, QStringLiteral("选择"));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    QStringList texts;
    for (QAbstractButton *button : chooser.findChildren<QAbstractButton *>())
        texts << button->text();
    QVERIFY2(texts.contains(QStringLiteral("取消")), qPrintable(texts.join('|')));
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

QTEST_MAIN(TestStartUpNotices)
#include "tst_startup_notices.moc"
