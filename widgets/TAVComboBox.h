#pragma once

#include <QComboBox>

// A combo box in the kit's size and look, with its own drop-down arrow.
class TAVComboBox final : public QComboBox
{
public:
    explicit TAVComboBox(QWidget *parent = nullptr);
};
