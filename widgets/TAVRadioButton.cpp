#include "widgets/TAVRadioButton.h"

TAVRadioButton::TAVRadioButton(QWidget *parent)
    : QRadioButton(parent)
{
    setStyleSheet(QStringLiteral("QRadioButton{font-size: 14px; color: #444444;};"));
}
