#include "widgets/TAVComboBox.h"

TAVComboBox::TAVComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setFixedSize(140, 30);
    setStyleSheet(QStringLiteral(
        "QComboBox{font-size: 13px;}QComboBox::drop-down{width: 10px;image: url(:/Tickvale/drop_arrow);}"));
}
