#pragma once

#include "platform/ProcessTerminator.h"

#include <QList>

// Ends the processes whose executable has the given file name (compared as Windows compares file
// names: without regard to case), found in a snapshot of the running processes. The name is only
// ever compared, never handed to a command processor or a shell: quotes, "&", "|", "^" or "%" in
// it are part of a name.
class SnapshotProcessTerminator final : public ProcessTerminator
{
public:
    void terminateAll(const QString &executableName) override;

    // The processes, other than this one, whose executable has that file name.
    static QList<quint32> processesNamed(const QString &executableName);

private:
    static bool sameFileName(const wchar_t *running, const QString &executableName);
    static void terminate(quint32 processId, const QString &executableName);
};
