#pragma once

#include "platform/NetworkCounterSource.h"

#include <QString>

// Reads the kernel's per-interface byte counters from /proc/net/dev and sums them over
// every interface (loopback and virtual ones included).
class ProcNetDevCounters final : public NetworkCounterSource
{
public:
    explicit ProcNetDevCounters(const QString &path = QStringLiteral("/proc/net/dev"));
    bool isSupported() const override;
    NetworkTotals read() override;

    // The totals of one /proc/net/dev text.
    static NetworkTotals parse(const QByteArray &text);

private:
    QString path;
    NetworkTotals last;
};
