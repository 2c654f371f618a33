#include "app/PushButton.h"

#include <QMouseEvent>
#include <QPainter>

PushButton::PushButton(const QString &normalPath, const QString &hoverPath, const QString &pressedPath, QWidget *parent)
    : QPushButton(parent)
    , normal(normalPath)
    , hovered(hoverPath)
    , pressed(pressedPath)
{
    setFixedSize(100, 100);
    setContentsMargins(0, 0, 0, 0);
}

PushButton::HoverState PushButton::hoverState() const
{
    return state;
}

bool PushButton::releaseCounts(const QPoint &point, const QSize &size)
{
    return point.x() >= 0 && point.x() <= size.width() && point.y() >= 0 && point.y() <= size.height();
}

void PushButton::setHoverState(HoverState newState)
{
    state = newState;
    update();
}

void PushButton::enterEvent(QEvent *)
{
    setHoverState(Hovered);
}

void PushButton::leaveEvent(QEvent *)
{
    setHoverState(Normal);
}

void PushButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setHoverState(Pressed);
}

void PushButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (releaseCounts(event->pos(), size()))
        emit clicked(false);
    setHoverState(Hovered);
}

void PushButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPixmap &picture = state == Pressed ? pressed : state == Hovered ? hovered : normal;
    const QRect area = rect();
    painter.drawPixmap(QRect(area.x(), area.y() + 10, area.width(), area.height()), picture);
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPointSize(10);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(area.translated(0, 32), Qt::AlignCenter, QStringLiteral("帮助"));
}
