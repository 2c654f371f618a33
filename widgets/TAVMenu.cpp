#include "widgets/TAVMenu.h"

#include <QPainter>
#include <QPainterPath>

namespace {
const int ArrowTipY = 3;
const int BubbleTopY = 10;
// The arrow's tip, where it must point at the anchor.
const int LeftArrowTipX = 23;
}

TAVMenu::TAVMenu(QWidget *parent, QWidget *anchorWidget)
    : QMenu(parent)
    , anchor(anchorWidget)
{
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
}

void TAVMenu::setRectPosition(RectPosition newPosition)
{
    position = newPosition;
    update();
}

QVector<int> TAVMenu::arrowXs(RectPosition position, int width)
{
    switch (position) {
    case RectInLeft:
        return {15, 23, 31};
    case RectInRight:
        return {width - 25, width - 17, width - 9};
    case RectInCenter:
    default:
        return {width / 2 - 8, width / 2, width / 2 + 8};
    }
}

int TAVMenu::arrangedX(int placedX, int menuWidth, int anchorWidth, RectPosition position)
{
    switch (position) {
    case RectInCenter:
        return placedX + anchorWidth - menuWidth + (menuWidth - anchorWidth) / 2;
    case RectInRight:
        return placedX + anchorWidth - menuWidth;
    case RectInLeft:
    default:
        return placedX + anchorWidth / 2 - LeftArrowTipX;
    }
}

QPolygon TAVMenu::bubble(RectPosition position, int height, int width)
{
    const QVector<int> xs = arrowXs(position, width);
    QPolygon outline;
    outline << QPoint(0, BubbleTopY) << QPoint(xs[0], BubbleTopY) << QPoint(xs[1], ArrowTipY)
            << QPoint(xs[2], BubbleTopY) << QPoint(width, BubbleTopY) << QPoint(width, height) << QPoint(0, height)
            << QPoint(0, BubbleTopY + 1);
    return outline;
}

void TAVMenu::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x52, 0x89, 0xEB));
    painter.setBrush(Qt::white);
    QPainterPath path;
    path.addPolygon(bubble(position, height(), width()));
    painter.drawPath(path);
}

void TAVMenu::showEvent(QShowEvent *event)
{
    const int anchorWidth = anchor ? anchor->width() : width();
    move(arrangedX(x(), width(), anchorWidth, position), y());
    // Without a compositing window manager a translucent window shows black where it is
    // clear: cut the window to the bubble instead.
    setMask(QRegion(bubble(position, height() + 1, width())));
    QMenu::showEvent(event);
}
