#pragma once

#include "ScratchDirectory.h"
#include "storage/Connection.h"

#include <optional>

// A fresh working directory holding a database with its tables. Kept in a std::optional and
// made again with emplace(), the previous one is gone, and the working directory back, before
// the next is made; the connection closes before its directory goes.
struct ScratchDatabase
{
    ScratchDirectory directory;
    Connection connection{nullptr};
    bool ready = connection.createTables();
};
