#include "log_ui/VATLogDateButton.h"

#include <QFile>

VATLogDateButton::VATLogDateButton(const QString &text, const QColor &colour)
    : QPushButton(nullptr)
    , caption(text)
    , colour(colour)
{
    QFile style(QStringLiteral(":/Tickvale/VATEditButton"));
    if (style.open(QIODevice::ReadOnly))
        setStyleSheet(QString::fromUtf8(style.readAll()));
    setText(text);
}
