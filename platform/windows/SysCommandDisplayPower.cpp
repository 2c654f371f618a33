#include "platform/windows/SysCommandDisplayPower.h"

#include <QDebug>

namespace {

// A window that does not answer within this time is not waited for: the display stays on and
// the window goes on working.
constexpr UINT AnswerMilliseconds = 3000;

HWND firstTopLevelWindow()
{
    return FindWindowW(nullptr, nullptr);
}

bool sendWithoutHanging(HWND window, UINT message, WPARAM command, LPARAM value)
{
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, message, command, value, SMTO_NORMAL | SMTO_ABORTIFHUNG, AnswerMilliseconds,
                               &answer)
        != 0;
}

} // namespace

SysCommandDisplayPower::SysCommandDisplayPower()
    : SysCommandDisplayPower(WindowCalls{firstTopLevelWindow, sendWithoutHanging})
{ }

SysCommandDisplayPower::SysCommandDisplayPower(WindowCalls calls)
    : system(std::move(calls))
{ }

void SysCommandDisplayPower::turnOff()
{
    HWND window = system.firstTopLevelWindow();
    if (window == nullptr) {
        qWarning() << "No top-level window to carry the display power-off command";
        return;
    }
    if (!system.send(window, Message, Command, PowerOff)) {
        const DWORD error = GetLastError();
        qWarning() << "The display power-off command did not reach its window - error" << error;
    }
}
