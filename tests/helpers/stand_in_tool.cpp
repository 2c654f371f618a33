// A stand-in for a tool that must never run in a test (shutdown.exe, rundll32.exe, notepad.exe): it
// appends "<file name>|<command line>" in UTF-8 to $TICKVALE_STAND_IN_LOG and waits
// $TICKVALE_STAND_IN_SLEEP_MS ms (none when unset).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main()
{
    const wchar_t *logPath = _wgetenv(L"TICKVALE_STAND_IN_LOG");
    wchar_t path[MAX_PATH];
    const std::wstring whole(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    const std::wstring line = whole.substr(whole.find_last_of(L"\\/") + 1) + L"|" + GetCommandLineW() + L"\n";
    std::string bytes(std::size_t(4 * line.size()), '\0');
    bytes.resize(std::size_t(WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), bytes.data(),
                                                 int(bytes.size()), nullptr, nullptr)));
    // One write of the whole line, at the end of what is already there.
    HANDLE log = logPath ? CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                         : INVALID_HANDLE_VALUE;
    DWORD written = 0;
    if (log == INVALID_HANDLE_VALUE || !WriteFile(log, bytes.data(), DWORD(bytes.size()), &written, nullptr)
        || written != bytes.size())
        return 3;
    CloseHandle(log);
    if (const wchar_t *sleep = _wgetenv(L"TICKVALE_STAND_IN_SLEEP_MS"))
        Sleep(DWORD(std::wcstoul(sleep, nullptr, 10)));
    return 0;
}
