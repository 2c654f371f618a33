#pragma once

#include <QDateEdit>

// A date edit with a calendar drop-down button.
class VATDateEdit : public QDateEdit
{
public:
    explicit VATDateEdit(QWidget *parent = nullptr);
};
