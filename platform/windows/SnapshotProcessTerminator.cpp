#include "platform/windows/SnapshotProcessTerminator.h"

#include <QDebug>

#include <windows.h>

#include <tlhelp32.h>

#include <string>

bool SnapshotProcessTerminator::sameFileName(const wchar_t *running, const QString &executableName)
{
    const std::wstring wanted = executableName.toStdWString();
    return CompareStringOrdinal(running, -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL;
}

QList<quint32> SnapshotProcessTerminator::processesNamed(const QString &executableName)
{
    QList<quint32> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        qWarning() << "Cannot list the running processes - error" << error;
        return found;
    }
    const DWORD self = GetCurrentProcessId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID != self && sameFileName(entry.szExeFile, executableName))
            found << entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

void SnapshotProcessTerminator::terminateAll(const QString &executableName)
{
    if (executableName.isEmpty()) {
        qWarning() << "No program name to close";
        return;
    }
    const QList<quint32> running = processesNamed(executableName);
    if (running.isEmpty())
        qInfo() << "No running program named" << executableName;
    for (quint32 processId : running)
        terminate(processId, executableName);
}

void SnapshotProcessTerminator::terminate(quint32 processId, const QString &executableName)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
    if (process == nullptr) {
        const DWORD error = GetLastError();
        qWarning() << "Cannot reach process" << processId << "of" << executableName << "- error" << error;
        return;
    }
    if (!TerminateProcess(process, 1)) {
        const DWORD error = GetLastError();
        qWarning() << "Cannot end process" << processId << "of" << executableName << "- error" << error;
    }
    CloseHandle(process);
}
