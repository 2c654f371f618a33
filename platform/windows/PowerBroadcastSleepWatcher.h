#pragma once

#include "platform/SleepWatcher.h"

#include <QAbstractNativeEventFilter>

// Hears the power broadcast that Windows sends every top-level window when the computer has
// resumed from sleep or hibernation (PBT_APMRESUMEAUTOMATIC comes with every resume, whether or
// not a person woke it). Watches from construction to destruction.
class PowerBroadcastSleepWatcher final : public SleepWatcher, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit PowerBroadcastSleepWatcher(QObject *parent = nullptr);
    ~PowerBroadcastSleepWatcher() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;
};
