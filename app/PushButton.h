#pragma once

#include <QPixmap>
#include <QPushButton>

// The help picture button of the main window, with its caption "帮助".
class PushButton final : public QPushButton
{
public:
    enum HoverState : unsigned char { Normal = 0, Hovered = 1, Pressed = 2 };

    PushButton(const QString &normalPath, const QString &hoverPath, const QString &pressedPath, QWidget *parent);

    HoverState hoverState() const;
    // A release inside the button, edges included, is a click.
    static bool releaseCounts(const QPoint &point, const QSize &size);

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setHoverState(HoverState state);

    HoverState state = Normal;
    QPixmap normal;
    QPixmap hovered;
    QPixmap pressed;
};
