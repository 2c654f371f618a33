#pragma once

#include <QProxyStyle>

// Draws the main window's tabs as 90 x 90 pictures with a white caption below the picture;
// nothing else of the tab bar is drawn, so the window's background shows through.
class TabStyle final : public QProxyStyle
{
public:
    TabStyle();

    // The picture of a tab: its position in the bar picks the index, its state the variant.
    static QString picturePath(int tabPosition, bool selected);

    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette, bool enabled,
                      const QString &text, QPalette::ColorRole textRole = QPalette::NoRole) const override;
    void drawItemPixmap(QPainter *painter, const QRect &rect, int alignment, const QPixmap &pixmap) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    QRect subElementRect(SubElement element, const QStyleOption *option, const QWidget *widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
                         const QWidget *widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;

private:
    void drawTabLabel(const QStyleOption *option, QPainter *painter) const;
};
