#pragma once

#include <QLineEdit>

// A short line edit in the kit's size and look.
class TAVLineEdit final : public QLineEdit
{
public:
    explicit TAVLineEdit(QWidget *parent = nullptr);
};
