#pragma once

#include "platform/InputActivitySource.h"

#include <windows.h>

// Desktop-wide input through the low-level keyboard and mouse hooks. Windows calls them from
// the message loop of the thread that installed them, so start() belongs on the GUI thread and
// activity() is emitted there. A key that stays down counts again with each of its repeats,
// which Windows delivers as further key-down messages. The hooks are process-wide: one source
// at a time holds them.
class LowLevelHookActivitySource final : public InputActivitySource
{
    Q_OBJECT
public:
    using InputActivitySource::InputActivitySource;
    ~LowLevelHookActivitySource() override;

    bool start() override;
    void stop() override;

    // Which messages of the two hooks are input activity (the hooks' wParam).
    static bool keyboardMessageCounts(WPARAM message);
    static bool mouseMessageCounts(WPARAM message);

private:
    static LRESULT CALLBACK keyboardProcedure(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam);
    void report();

    HHOOK keyboardHook = nullptr;
    HHOOK mouseHook = nullptr;
};
