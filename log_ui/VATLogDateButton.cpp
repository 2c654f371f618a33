#include "log_ui/VATLogDateButton.h"

#include "widgets/ResourceText.h"

VATLogDateButton::VATLogDateButton(const QString &text, const QColor &textColour)
    : QPushButton(nullptr)
    , caption(text)
    , colour(textColour)
{
    setStyleSheet(ResourceText::read(QStringLiteral(":/Tickvale/VATEditButton")));
    setText(text);
}
