#pragma once

#include <atomic>

// Until a facility has its Windows route, it does nothing on this build and says so once per
// process, so that a task that seems to have run without effect can be traced in the log.
class InertNotice
{
public:
    // Logs "<facility> does nothing on this Windows build" the first time it is called with this
    // flag; later calls say nothing.
    static void once(std::atomic_bool &said, const char *facility);
};
