#pragma once

#include <QDateEdit>

// A date edit with a calendar drop-down button.
class VATDateEdit final : public QDateEdit
{
    // Its style sheet names the class: the meta-object must carry that name.
    Q_OBJECT
public:
    explicit VATDateEdit(QWidget *parent = nullptr);
};
