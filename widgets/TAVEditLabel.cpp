#include "widgets/TAVEditLabel.h"

TAVEditLabel::TAVEditLabel(QWidget *parent)
    : QLabel(parent)
{
    setStyleSheet(QStringLiteral("margin-left: 6px; font-size: 14px; color: #444444;"));
}
