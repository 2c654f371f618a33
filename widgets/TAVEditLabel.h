#pragma once

#include <QLabel>

// A form label in the kit's look.
class TAVEditLabel final : public QLabel
{
public:
    explicit TAVEditLabel(QWidget *parent = nullptr);
};
