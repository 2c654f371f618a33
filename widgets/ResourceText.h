#pragma once

#include <QString>

// The text of an embedded resource (the style sheets), read once per process: rows, menus
// and buttons ask for the same few texts many times.
class ResourceText final
{
public:
    // Empty text, and a log line, when the resource cannot be read.
    static QString read(const QString &path);
};
