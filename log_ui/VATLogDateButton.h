#pragma once

#include <QColor>
#include <QPushButton>

// A flat text button of the log tab's filter bar.
class VATLogDateButton final : public QPushButton
{
public:
    VATLogDateButton(const QString &text, const QColor &colour);

private:
    QString caption;
    QColor colour;
};
