#pragma once

#include <QMenu>
#include <QPointer>

// A drop-down menu drawn as a white bubble whose small arrow points at the button that
// opened it.
class TAVMenu final : public QMenu
{
    Q_OBJECT
public:
    enum RectPosition { RectInLeft = 0, RectInCenter = 1, RectInRight = 2 };
    Q_ENUM(RectPosition)

    TAVMenu(QWidget *parent, QWidget *anchor);

    void setRectPosition(RectPosition position);

    // The three x coordinates of the arrow notch for a bubble of the given width (the menus of
    // the task rows and of the title bar's first entries are 100 pixels wide).
    static QVector<int> arrowXs(RectPosition position, int width = DefaultWidth);
    // Where the menu goes, given the x it was placed at below the anchor's left edge.
    static int arrangedX(int placedX, int menuWidth, int anchorWidth, RectPosition position);
    // The bubble's outline for a menu of the given height and width.
    static QPolygon bubble(RectPosition position, int height, int width = DefaultWidth);

    static constexpr int DefaultWidth = 100;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    RectPosition position = RectInCenter;
    QPointer<QWidget> anchor;
};
