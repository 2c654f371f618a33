#pragma once

#include <QRadioButton>

// A radio button in the kit's look.
class TAVRadioButton final : public QRadioButton
{
public:
    explicit TAVRadioButton(QWidget *parent = nullptr);
};
