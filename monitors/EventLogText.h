#pragma once

#include <QList>
#include <QMap>
#include <QString>

// The text form of an event-log query: each event opens with "Event[" and carries its time on
// the first line that holds "Date:".
class EventLogText final
{
public:
    static QList<QMap<QString, QString>> events(const QString &output);
};
