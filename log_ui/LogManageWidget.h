#pragma once

#include <QWidget>

// The log tab: when the computer was switched on and off.
class LogManageWidget : public QWidget
{
    Q_OBJECT
public:
    explicit LogManageWidget(QWidget *parent);
};
