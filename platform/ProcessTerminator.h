#pragma once

#include <QString>

// Ends running programs by their executable's file name.
class ProcessTerminator
{
public:
    virtual ~ProcessTerminator() = default;
    // Ends every process of this user whose executable has exactly this file name.
    virtual void terminateAll(const QString &executableName) = 0;
};
