#pragma once

#include <QString>

// Lengths of time as the interface shows them.
class DurationText final
{
public:
    // "%1小时%2分%3秒": hours, minutes and seconds, without leading zeros.
    static QString hoursMinutesSeconds(qint64 seconds);
};
