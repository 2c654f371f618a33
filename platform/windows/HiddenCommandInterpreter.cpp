#include "platform/windows/HiddenCommandInterpreter.h"

#include <QDebug>

#include <string>
#include <system_error>
#include <thread>

HiddenCommandInterpreter::HiddenCommandInterpreter()
    : HiddenCommandInterpreter(::ShellExecuteExW)
{ }

HiddenCommandInterpreter::HiddenCommandInterpreter(Launch launcher)
    : launch(std::move(launcher))
{ }

QString HiddenCommandInterpreter::parametersFor(const QString &commandText)
{
    return QStringLiteral("cmd.exe /c ") + commandText;
}

void HiddenCommandInterpreter::run(const QString &commandText)
{
    const std::wstring parameters = parametersFor(commandText).toStdWString();
    SHELLEXECUTEINFOW info{};
    // The structure's size on this build (a 32-bit program's is 60 bytes); every field not set
    // here stays zero: no window, no verb, no directory.
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = L"cmd.exe";
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!launch(&info)) {
        const DWORD error = GetLastError();
        qWarning() << "The command interpreter did not start for" << commandText << "- error" << error;
        return;
    }
    // Started through a document handler rather than as a process: nothing to wait for.
    if (info.hProcess == nullptr)
        return;
    try {
        std::thread(waitForEnd, info.hProcess, commandText).detach();
    } catch (const std::system_error &error) {
        qWarning() << "Cannot wait for the command" << commandText << "-" << error.what();
        CloseHandle(info.hProcess);
    }
}

void HiddenCommandInterpreter::waitForEnd(HANDLE process, const QString &commandText)
{
    DWORD status = 0;
    if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0) {
        const DWORD error = GetLastError();
        qWarning() << "Lost sight of the command interpreter running" << commandText << "- error" << error;
    } else if (!GetExitCodeProcess(process, &status)) {
        const DWORD error = GetLastError();
        qWarning() << "No end status of the command" << commandText << "- error" << error;
    } else if (status != 0) {
        qWarning() << "Command ended with" << status << ":" << commandText;
    }
    CloseHandle(process);
}
