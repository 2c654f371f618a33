#pragma once

#include <QColor>
#include <QSize>
#include <QString>

class QVBoxLayout;
class QWidget;

// The frame the pop-up windows share: frameless, a 40-pixel title strip on top, and below it a
// bordered container whose vertical layout (no margins) the window fills.
class PopupFrame final
{
public:
    static const char *const ContainerStyle;

    static QVBoxLayout *build(QWidget *window, const QString &title, const QSize &containerSize,
                              const QString &containerStyle = QString::fromLatin1(ContainerStyle),
                              const QColor &background = QColor());
};
