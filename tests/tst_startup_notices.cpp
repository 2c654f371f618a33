#include "app/StartUp.h"
#include "storage/Connection.h"
#include "ModalAnswerer.h"
#include "ScratchDirectory.h"

#include <QCryptographicHash>
#include <QMessageBox>
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

// What the user is told at start-up.
class TestStartUpNotices : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void databaseThatCannotKeepTasksIsReportedOnce_data();
    void databaseThatCannotKeepTasksIsReportedOnce();
    void usableDatabaseShowsNothing();

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
    QTest::addColumn<QString>("says");
    QTest::newRow("not a database") << "noise" << "不是本程序能读取的数据库";
    QTest::newRow("a folder in its place") << "folder" << "无法打开数据库文件";
}

void TestStartUpNotices::databaseThatCannotKeepTasksIsReportedOnce()
{
    QFETCH(QString, fault);
    QFETCH(QString, says);
    const QString path = scratch->filePath("database.db");
    if (fault == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else {
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
    QTRY_VERIFY(answer.answered);
    QCOMPARE(answer.title, QStringLiteral("提示"));
    QVERIFY2(answer.text.contains(says), qPrintable(answer.text));
    QVERIFY2(answer.text.contains(QDir::toNativeSeparators(path)), qPrintable(answer.text));
    // The user's file is left exactly as it was.
    QCOMPARE(digestOf(path), before);
    QTest::qWait(50);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestStartUpNotices::usableDatabaseShowsNothing()
{
    Connection(nullptr).createTables();
    QWidget window;
    window.show();
    StartUp::reportStorageProblem(window);
    QTest::qWait(50);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(window.findChildren<QMessageBox *>().isEmpty());
}

QTEST_MAIN(TestStartUpNotices)
#include "tst_startup_notices.moc"
