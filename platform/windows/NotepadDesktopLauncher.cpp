#include "platform/windows/NotepadDesktopLauncher.h"

#include <QDebug>

#include <windows.h>

#include <string>

void NotepadDesktopLauncher::startProgram(const QString &path)
{
    everySystem.startProgram(path);
}

void NotepadDesktopLauncher::openUrl(const QUrl &url)
{
    everySystem.openUrl(url);
}

void NotepadDesktopLauncher::openFile(const QString &path)
{
    // The path is handed on as written, not quoted: Notepad reads the rest of its command line
    // as one name. Notepad is found where the system finds programs, and left running.
    std::wstring commandLine = (QStringLiteral("notepad.exe ") + path).toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        const DWORD error = GetLastError();
        qWarning() << "Cannot start Notepad for the file" << path << "- error" << error;
        return;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}
