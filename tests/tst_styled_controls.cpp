#include "widgets/TAVPushButton.h"

#include <QPainter>
#include <QtTest>

#include <functional>

namespace {

// A sheet of `columns` x `rows` frames of 10 x 10, each a flat colour numbered column by column.
QString writeSheet(const QString &directory, int columns, int rows)
{
    QImage sheet(columns * 10, rows * 10, QImage::Format_ARGB32);
    QPainter painter(&sheet);
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < rows; ++row) {
            const int frame = column * rows + row;
            painter.fillRect(column * 10, row * 10, 10, 10,
                             QColor::fromHsv((frame * 360 / (columns * rows)) % 360, 255, 255));
        }
    }
    painter.end();
    const QString path = QStringLiteral("%1/sheet_%2x%3.png").arg(directory).arg(columns).arg(rows);
    sheet.save(path);
    return path;
}

} // namespace

class TestStyledControls : public QObject
{
    Q_OBJECT

private slots:
    void framesAreCutColumnByColumn();
    void hoverPressAndReleaseFrames_data();
    void hoverPressAndReleaseFrames();
    void clickStillWorksAndCaptionIsKept();

private:
    QTemporaryDir directory;
};

void TestStyledControls::framesAreCutColumnByColumn()
{
    // Two columns of three: a sheet neither square nor of one column.
    const QString sheetPath = writeSheet(directory.path(), 2, 3);
    const QList<QPixmap> frames = TAVPushButton::cutFrames(QPixmap(sheetPath), 2, 3);
    QCOMPARE(frames.size(), 6);
    const QImage sheet(sheetPath);
    for (int frame = 0; frame < frames.size(); ++frame) {
        QCOMPARE(frames.at(frame).size(), QSize(10, 10));
        QCOMPARE(frames.at(frame).toImage().pixelColor(5, 5),
                 sheet.pixelColor((frame / 3) * 10 + 5, (frame % 3) * 10 + 5));
    }
}

void TestStyledControls::hoverPressAndReleaseFrames_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("expected"); // after enter, press, release, leave
    QTest::newRow("single frame never changes") << 1 << QList<int>{0, 0, 0, 0};
    QTest::newRow("two frames: no pressed picture") << 2 << QList<int>{1, 1, 1, 0};
    QTest::newRow("four frames") << 4 << QList<int>{1, 2, 1, 0};
}

void TestStyledControls::hoverPressAndReleaseFrames()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, expected);
    const QString sheet = writeSheet(directory.path(), 1, rows);
    TAVPushButton button(sheet, 1, nullptr, rows);
    button.setFixedSize(40, 40);
    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    const QList<std::function<void()>> steps{
        [&] { QApplication::sendEvent(&button, &enter); }, [&] { QTest::mousePress(&button, Qt::LeftButton); },
        [&] { QTest::mouseRelease(&button, Qt::LeftButton); }, [&] { QApplication::sendEvent(&button, &leave); }};
    for (int i = 0; i < steps.size(); ++i) {
        steps.at(i)();
        QCOMPARE(button.grab().toImage().pixelColor(20, 20), QImage(sheet).pixelColor(5, expected.at(i) * 10 + 5));
    }
}

void TestStyledControls::clickStillWorksAndCaptionIsKept()
{
    TAVPushButton button(":/Tickvale/add_mission", 4, nullptr, 4, ":/Tickvale/add_mission", "添加任务");
    button.setFixedSize(120, 30);
    QSignalSpy clicks(&button, &QPushButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks.size(), 1);
    // The caption is drawn in white over the frame.
    const QImage shown = button.grab().toImage();
    bool whiteFound = false;
    for (int x = 0; x < shown.width() && !whiteFound; ++x) {
        for (int y = 0; y < shown.height() && !whiteFound; ++y)
            whiteFound = shown.pixelColor(x, y) == QColor(Qt::white);
    }
    QVERIFY(whiteFound);
}

QTEST_MAIN(TestStyledControls)
#include "tst_styled_controls.moc"
