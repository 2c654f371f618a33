#pragma once

#include "platform/InputActivitySource.h"

#include <windows.h>

class QTimer;

// Desktop-wide input through the low-level keyboard and mouse hooks. Windows calls them from
// the message loop of the thread that installed them, so start() belongs on the GUI thread and
// activity() is emitted there. A key that stays down counts again with each of its repeats,
// which Windows delivers as further key-down messages. The hooks are process-wide: one source
// at a time holds them.
//
// Windows removes a low-level hook without a word when its thread keeps it waiting too long
// (the GUI thread blocked in a command that runs to its end): from then on every person would
// look idle. So every few seconds the system's own last-input time is compared with the last
// call of either hook; input the hooks did not see means they are gone, and they are put back.
class LowLevelHookActivitySource final : public InputActivitySource
{
    Q_OBJECT
public:
    using InputActivitySource::InputActivitySource;
    ~LowLevelHookActivitySource() override;

    bool start() override;
    void stop() override;
    bool detectsIdleness() const override;

    // Which messages of the two hooks are input activity (the hooks' wParam).
    static bool keyboardMessageCounts(WPARAM message);
    static bool mouseMessageCounts(WPARAM message);
    // Whether the system saw input that neither hook was called for, given the tick counts of
    // the last input (GetLastInputInfo) and of the last hook call; the counts wrap after 49 days.
    static bool inputWentUnseen(DWORD lastInputTick, DWORD lastHookCallTick);

private:
    static LRESULT CALLBACK keyboardProcedure(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam);
    bool installHooks();
    void removeHooks();
    void report();
    void checkHooksStillCalled();

    HHOOK keyboardHook = nullptr;
    HHOOK mouseHook = nullptr;
    QTimer *hookCheck = nullptr;
};
