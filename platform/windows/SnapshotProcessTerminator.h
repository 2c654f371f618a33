#pragma once

#include "platform/ProcessTerminator.h"

// Ends the processes whose executable has the given file name, found in a process snapshot,
// with no shell in between. Not written yet: no process is ended.
class SnapshotProcessTerminator : public ProcessTerminator
{
public:
    void terminateAll(const QString &executableName) override;
};
