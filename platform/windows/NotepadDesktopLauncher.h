#pragma once

#include "platform/DesktopLauncher.h"
#include "platform/QtDesktopLauncher.h"

// Programs and addresses as Qt starts and opens them on every system; a file is opened in
// Notepad, whose command line is "notepad.exe " and the path as it was given (Notepad takes the
// rest of its command line, blanks included, as the file's name). No shell is in between.
class NotepadDesktopLauncher final : public DesktopLauncher
{
public:
    void startProgram(const QString &path) override;
    void openUrl(const QUrl &url) override;
    void openFile(const QString &path) override;

private:
    QtDesktopLauncher everySystem;
};
