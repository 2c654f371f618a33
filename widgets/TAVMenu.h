#pragma once

#include <QMenu>
#include <QPointer>

// A drop-down menu drawn as a white bubble whose small arrow points at the button that
// opened it.
class TAVMenu : public QMenu
{
    Q_OBJECT
public:
    enum RectPosition { RectInLeft = 0, RectInCenter = 1, RectInRight = 2 };
    Q_ENUM(RectPosition)

    TAVMenu(QWidget *parent, QWidget *anchor);

    RectPosition rectPosition() const;
    void setRectPosition(RectPosition position);

    // The three x coordinates of the arrow notch for a 100-pixel-wide bubble.
    static QVector<int> arrowXs(RectPosition position);
    // Where the menu goes, given the x it was placed at below the anchor's left edge.
    static int arrangedX(int placedX, int menuWidth, int anchorWidth, RectPosition position);
    // The bubble's outline for a menu of the given height.
    static QPolygon bubble(RectPosition position, int height);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    RectPosition position = RectInCenter;
    QPointer<QWidget> anchor;
};
