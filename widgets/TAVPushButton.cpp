#include "widgets/TAVPushButton.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>

TAVPushButton::TAVPushButton(const QString &sheetPath, int columns, QWidget *parent, int rows, const QString &iconPath,
                             const QString &caption)
    : QPushButton(nullptr)
    , text(caption)
{
    Q_UNUSED(parent)
    const QPixmap sheet(sheetPath);
    if (sheet.isNull())
        qWarning() << "Cannot load the button picture" << sheetPath;
    pixmaps = cutFrames(sheet, columns, rows);
    if (!iconPath.isEmpty())
        icon = std::make_unique<QPixmap>(iconPath);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCurIndex(0);
}

TAVPushButton::~TAVPushButton() = default;

QList<QPixmap> TAVPushButton::cutFrames(const QPixmap &sheet, int columns, int rows)
{
    QList<QPixmap> frames;
    if (sheet.isNull() || columns <= 0 || rows <= 0)
        return frames;
    const int width = sheet.width() / columns;
    const int height = sheet.height() / rows;
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < rows; ++row)
            frames.append(sheet.copy(column * width, row * height, width, height));
    }
    return frames;
}

int TAVPushButton::curIndex() const
{
    return index;
}

void TAVPushButton::setCurIndex(int newIndex)
{
    index = newIndex;
    update();
}

QSize TAVPushButton::sizeHint() const
{
    if (icon)
        return icon->size();
    return pixmaps.isEmpty() ? QPushButton::sizeHint() : pixmaps.first().size();
}

void TAVPushButton::enterEvent(QEvent *event)
{
    setCurIndex(pixmaps.size() >= 2 ? 1 : 0);
    QPushButton::enterEvent(event);
}

void TAVPushButton::leaveEvent(QEvent *event)
{
    setCurIndex(0);
    QPushButton::leaveEvent(event);
}

void TAVPushButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && pixmaps.size() >= 3)
        setCurIndex(2);
    QPushButton::mousePressEvent(event);
}

void TAVPushButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && pixmaps.size() >= 2)
        setCurIndex(1);
    QPushButton::mouseReleaseEvent(event);
}

void TAVPushButton::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    if (index >= 0 && index < pixmaps.size())
        painter.drawPixmap(rect(), pixmaps.at(index));
    if (!text.isEmpty()) {
        QFont font(QStringLiteral("Microsoft YaHei"));
        font.setPointSize(10);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, text);
    }
}
