#pragma once

#include <QObject>

// Gathers the computer's power-on/off history, and records how the program is to be started.
class Command : public QObject
{
    Q_OBJECT
public:
    explicit Command(QObject *parent);

    // Asks the system to start the program at this path with administrator rights from now on.
    void setRunAsAdmin(const QString &path);
};
