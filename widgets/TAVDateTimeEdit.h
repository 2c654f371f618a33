#pragma once

#include <QDateTimeEdit>

// A date-time edit in the kit's size and look. It starts from the edit's own default value
// and without a parent: callers set the value they want and a layout adopts it.
class TAVDateTimeEdit final : public QDateTimeEdit
{
public:
    explicit TAVDateTimeEdit(const QDateTime &dateTime = QDateTime(), QWidget *parent = nullptr);
};
