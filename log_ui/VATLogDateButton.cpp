#include "log_ui/VATLogDateButton.h"

#include "app/ResourceText.h"


VATLogDateButton::VATLogDateButton(const QString &text, const QColor &colour)
    : QPushButton(nullptr)
    , caption(text)
    , colour(colour)
{
    setStyleSheet(ResourceText::read(QStringLiteral(":/Tickvale/VATEditButton")));
    setText(text);
}
