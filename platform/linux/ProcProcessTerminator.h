#pragma once

#include "platform/ProcessTerminator.h"

#include <QList>

// Finds this user's processes by the file name of their executable in /proc, asks them to end,
// and kills those still there after a grace period. Nothing passes through a shell.
class ProcProcessTerminator final : public ProcessTerminator
{
public:
    static constexpr int GraceMilliseconds = 2000;

    void terminateAll(const QString &executableName) override;

    // The processes of this user, other than this one, running that executable.
    static QList<qint64> processesNamed(const QString &executableName);

private:
    static QString executableNameOf(qint64 pid);
};
