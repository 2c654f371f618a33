#include "widgets/TAVDateTimeEdit.h"

TAVDateTimeEdit::TAVDateTimeEdit(const QDateTime &dateTime, QWidget *parent)
    : QDateTimeEdit(nullptr)
{
    Q_UNUSED(dateTime)
    Q_UNUSED(parent)
    setFixedSize(140, 30);
    setStyleSheet(QStringLiteral("QDateTimeEdit{font-size: 13px; color: #444444;};"));
}
