#include "tasks_ui/SliderWidget.h"

#include <QPainter>
#include <QTimer>

SliderWidget::SliderWidget(QWidget *parent)
    : QWidget(parent)
    , step(width() / 50)
{
    timer = new QTimer(this);
    timer->setInterval(10);
    connect(timer, &QTimer::timeout, this, &SliderWidget::updateValue);
    setFont(QFont(QStringLiteral("Microsoft Yahei"), 10));
}

bool SliderWidget::isChecked() const
{
    return checked;
}

void SliderWidget::setChecked(bool value)
{
    checked = value;
}

int SliderWidget::knobX() const
{
    return startX;
}

int SliderWidget::targetX() const
{
    return endX;
}

int SliderWidget::stepSize() const
{
    return step;
}

bool SliderWidget::isAnimating() const
{
    return timer->isActive();
}

void SliderWidget::mousePressEvent(QMouseEvent *)
{
    toggle();
}

void SliderWidget::toggle()
{
    checked = !checked;
    emit checkedChanged(checked);
    animate();
}

void SliderWidget::slideTo(bool on)
{
    if (checked == on)
        return;
    checked = on;
    animate();
}

void SliderWidget::animate()
{
    step = width() / 50;
    endX = checked ? width() - width() / 2 : 0;
    timer->start();
}

void SliderWidget::updateValue()
{
    if (checked) {
        if (startX < endX) {
            startX += step;
        } else {
            startX = endX;
            timer->stop();
        }
    } else {
        if (startX > endX) {
            startX -= step;
        } else {
            startX = endX;
            timer->stop();
        }
    }
    update();
}

void SliderWidget::resizeEvent(QResizeEvent *)
{
    step = width() / 50;
    startX = checked ? width() - width() / 2 : 0;
    update();
}

void SliderWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(checked ? backgroundOn : backgroundOff);
    painter.drawRoundedRect(rect(), radius, radius);

    const QRect knob(startX + space, space, width() / 2 - 2 * space, height() - 2 * space);
    painter.setBrush(checked ? knobOn : knobOff);
    painter.drawRoundedRect(knob, radius, radius);

    painter.setPen(Qt::white);
    painter.drawText(knob, Qt::AlignCenter, checked ? QStringLiteral("开") : QStringLiteral("关"));
}
