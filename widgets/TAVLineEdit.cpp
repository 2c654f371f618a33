#include "widgets/TAVLineEdit.h"

TAVLineEdit::TAVLineEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setFixedSize(60, 30);
    setStyleSheet(QStringLiteral("color: #999999; font-size: 13px;"));
}
