#include "log_ui/VATDateEdit.h"

VATDateEdit::VATDateEdit(QWidget *parent)
    : QDateEdit(parent)
{
    setFixedSize(140, 30);
    setStyleSheet(QStringLiteral("VATDateEdit{font-size: 13px;background-color: #ffffff;}"
                                 "VATDateEdit::drop-down{width: 40px; height:40px;image: url(:/Tickvale/calendar);};"));
}
