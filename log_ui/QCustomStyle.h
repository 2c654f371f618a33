#pragma once

#include <QProxyStyle>

// The calendar's style: everything as usual, but never a focus frame.
class QCustomStyle final : public QProxyStyle
{
public:
    explicit QCustomStyle(QObject *parent = nullptr);

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};
