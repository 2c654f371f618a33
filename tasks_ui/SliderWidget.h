#pragma once

#include <QColor>
#include <QWidget>

class QTimer;

// The on/off switch of a task row: a knob that slides to the right when switched on.
class SliderWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit SliderWidget(QWidget *parent = nullptr);

    bool isChecked() const;
    void setChecked(bool checked);
    int knobX() const;
    int targetX() const;
    int stepSize() const;
    bool isAnimating() const;
    // Turns the switch over as a click does.
    void toggle();
    // Shows a state that was reached elsewhere: the knob slides there and nothing is emitted.
    void slideTo(bool on);

signals:
    void checkedChanged(bool checked);

public slots:
    void updateValue();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void animate();

    bool checked = false;
    QColor backgroundOff{0x94, 0xF0, 0xEB};
    QColor backgroundOn{0x94, 0xF0, 0xEB};
    QColor knobOff{0xB6, 0xC3, 0xDF};
    QColor knobOn{0x5D, 0x91, 0xEE};
    int space = 3;
    int radius = 0;
    int startX = 0;
    int endX = 0;
    int step = 0;
    QTimer *timer = nullptr;
};
