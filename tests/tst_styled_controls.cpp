#include "widgets/TAVPushButton.h"

#include <QPainter>
#include <QtTest>

namespace {

// A sheet of `columns` x `rows` frames of 10 x 10, each a flat red numbered column by column: frame n is 40 + 20 n red.
QString writeSheet(const QString &directory, int columns, int rows)
{
    QImage sheet(columns * 10, rows * 10, QImage::Format_ARGB32);
    QPainter painter(&sheet);
    for (int column = 0; column < columns; ++column)
        for (int row = 0; row < rows; ++row)
            painter.fillRect(column * 10, row * 10, 10, 10, QColor(40 + 20 * (column * rows + row), 0, 0));
    painter.end();
    const QString path = QStringLiteral("%1/sheet_%2x%3.png").arg(directory).arg(columns).arg(rows);
    sheet.save(path);
    return path;
}

int frameOf(const QColor &colour)
{
    return (colour.red() - 40) / 20;
}

} // namespace

class TestStyledControls : public QObject
{
    Q_OBJECT

private slots:
    void framesAreCutAndFollowTheMouse()
    {
        // Two columns of three: a sheet neither square nor of one column.
        QStringList cut;
        for (const QPixmap &frame : TAVPushButton::cutFrames(QPixmap(writeSheet(directory.path(), 2, 3)), 2, 3))
            cut << QString::asprintf("%dx%d#%d", frame.width(), frame.height(),
                                     frameOf(frame.toImage().pixelColor(5, 5)));
        QCOMPARE(cut.join(' '), QString("10x10#0 10x10#1 10x10#2 10x10#3 10x10#4 10x10#5"));

        // The frame shown after enter, press, release and leave, for sheets of one, two (no pressed picture) and four.
        QStringList shown;
        for (int rows : {1, 2, 4}) {
            TAVPushButton button(writeSheet(directory.path(), 1, rows), 1, nullptr, rows);
            button.setFixedSize(40, 40);
            QEvent enter(QEvent::Enter), leave(QEvent::Leave);
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 20), Qt::LeftButton, Qt::LeftButton, {});
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(20, 20), Qt::LeftButton, {}, {});
            QString frames = QString::number(rows) + ":";
            for (QEvent *step : std::initializer_list<QEvent *>{&enter, &press, &release, &leave}) {
                QApplication::sendEvent(&button, step);
                frames += " " + QString::number(frameOf(button.grab().toImage().pixelColor(20, 20)));
            }
            shown << frames;
        }
        QCOMPARE(shown, QStringList({"1: 0 0 0 0", "2: 1 1 1 0", "4: 1 2 1 0"}));

        // A click still reaches the button, and its caption is drawn in white over the frame.
        TAVPushButton button(":/Tickvale/add_mission", 4, nullptr, 4, ":/Tickvale/add_mission", "添加任务");
        button.setFixedSize(120, 30);
        QSignalSpy clicks(&button, &QPushButton::clicked);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks.size(), 1);
        const QImage image = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constBits());
        QVERIFY(std::find(pixels, pixels + image.width() * image.height(), qRgb(255, 255, 255))
                != pixels + image.width() * image.height());
    }

private:
    QTemporaryDir directory;
};

QTEST_MAIN(TestStyledControls)
#include "tst_styled_controls.moc"
