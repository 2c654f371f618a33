#pragma once

#include <QObject>

// Tells when the computer has woken from sleep.
class SleepWatcher : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SleepWatcher() override;

signals:
    void resumed();
};
