// A stand-in for a Windows tool that must never run in a test (shutdown.exe, rundll32.exe,
// notepad.exe): it appends one line, "<its own file name>|<its whole command line>", in UTF-8,
// to the file that TICKVALE_STAND_IN_LOG names, then waits TICKVALE_STAND_IN_SLEEP_MS
// milliseconds (none when unset) and ends with status 0.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string utf8(const std::wstring &text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring variable(const wchar_t *name)
{
    wchar_t value[32768];
    const DWORD length = GetEnvironmentVariableW(name, value, 32768);
    return length > 0 && length < 32768 ? std::wstring(value, length) : std::wstring();
}

std::wstring ownFileName()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring whole(path, length);
    const std::size_t slash = whole.find_last_of(L"\\/");
    return slash == std::wstring::npos ? whole : whole.substr(slash + 1);
}

bool record(const std::wstring &logPath)
{
    HANDLE log = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return false;
    const std::string line = utf8(ownFileName() + L"|" + GetCommandLineW()) + "\n";
    DWORD written = 0;
    const BOOL wrote = WriteFile(log, line.data(), DWORD(line.size()), &written, nullptr);
    CloseHandle(log);
    return wrote && written == line.size();
}

} // namespace

int main()
{
    const std::wstring logPath = variable(L"TICKVALE_STAND_IN_LOG");
    if (logPath.empty() || !record(logPath))
        return 3;
    const std::wstring sleep = variable(L"TICKVALE_STAND_IN_SLEEP_MS");
    if (!sleep.empty())
        Sleep(DWORD(std::wcstoul(sleep.c_str(), nullptr, 10)));
    return 0;
}
