#include "platform/windows/LowLevelHookActivitySource.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>
#include <QTimer>

namespace {

// The source whose hooks are installed. Hook procedures are plain functions: this is how they
// find the object to report to. Touched on the GUI thread only.
LowLevelHookActivitySource *hookOwner = nullptr;
// When either hook was last called, counted message or not (GetTickCount).
DWORD lastHookCall = 0;

const int HookCheckMilliseconds = 5000;
// Input reaches the hooks a moment after the system records it.
const DWORD UnseenInputMarginMilliseconds = 2000;

QString lastErrorText()
{
    return QStringLiteral("error %1").arg(GetLastError());
}

} // namespace

LowLevelHookActivitySource::~LowLevelHookActivitySource()
{
    stop();
}

bool LowLevelHookActivitySource::keyboardMessageCounts(WPARAM message)
{
    // A key pressed with Alt held (and Alt itself) arrives as WM_SYSKEYDOWN: a system key.
    return message == WM_KEYDOWN;
}

bool LowLevelHookActivitySource::mouseMessageCounts(WPARAM message)
{
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
        return true;
    default:
        // Middle and extra buttons and the horizontal wheel are not activity.
        return false;
    }
}

bool LowLevelHookActivitySource::inputWentUnseen(DWORD lastInputTick, DWORD lastHookCallTick)
{
    // Differences of tick counts stay right across their wrap; a last input before the last hook
    // call shows as a huge difference and is seen input.
    const DWORD sinceHookCall = lastInputTick - lastHookCallTick;
    return sinceHookCall > UnseenInputMarginMilliseconds && sinceHookCall < 0x80000000u;
}

bool LowLevelHookActivitySource::start()
{
    if (hookOwner == this)
        return true;
    if (hookOwner) {
        qWarning() << "The keyboard and mouse hooks are already held by another watch";
        return false;
    }
    // Windows calls a low-level hook on the thread that installed it, from its message loop:
    // any other thread would have to pump messages for the whole desktop's input.
    if (QCoreApplication::instance() && QThread::currentThread() != QCoreApplication::instance()->thread()) {
        qWarning() << "The keyboard and mouse hooks must be installed on the GUI thread";
        return false;
    }
    if (!installHooks())
        return false;
    hookOwner = this;
    lastHookCall = GetTickCount();
    hookCheck = new QTimer(this);
    hookCheck->setInterval(HookCheckMilliseconds);
    connect(hookCheck, &QTimer::timeout, this, &LowLevelHookActivitySource::checkHooksStillCalled);
    hookCheck->start();
    return true;
}

void LowLevelHookActivitySource::stop()
{
    if (hookOwner != this)
        return;
    // Cleared first: a hook call already queued for this thread then reports nothing.
    hookOwner = nullptr;
    delete hookCheck;
    hookCheck = nullptr;
    removeHooks();
}

bool LowLevelHookActivitySource::detectsIdleness() const
{
    return hookOwner == this;
}

bool LowLevelHookActivitySource::installHooks()
{
    HINSTANCE module = GetModuleHandleW(nullptr);
    keyboardHook = SetWindowsHookExW(WH_KEYBOARD_LL, &LowLevelHookActivitySource::keyboardProcedure, module, 0);
    if (!keyboardHook) {
        qWarning().noquote() << "Cannot install the keyboard hook:" << lastErrorText()
                             << "- keyboard and mouse activity is not watched";
        return false;
    }
    mouseHook = SetWindowsHookExW(WH_MOUSE_LL, &LowLevelHookActivitySource::mouseProcedure, module, 0);
    if (!mouseHook) {
        qWarning().noquote() << "Cannot install the mouse hook:" << lastErrorText()
                             << "- keyboard and mouse activity is not watched";
        UnhookWindowsHookEx(keyboardHook);
        keyboardHook = nullptr;
        return false;
    }
    return true;
}

void LowLevelHookActivitySource::removeHooks()
{
    if (keyboardHook && !UnhookWindowsHookEx(keyboardHook))
        qWarning().noquote() << "Cannot remove the keyboard hook:" << lastErrorText();
    if (mouseHook && !UnhookWindowsHookEx(mouseHook))
        qWarning().noquote() << "Cannot remove the mouse hook:" << lastErrorText();
    keyboardHook = nullptr;
    mouseHook = nullptr;
}

void LowLevelHookActivitySource::checkHooksStillCalled()
{
    LASTINPUTINFO lastInput{};
    lastInput.cbSize = sizeof(lastInput);
    if (!GetLastInputInfo(&lastInput) || !inputWentUnseen(lastInput.dwTime, lastHookCall))
        return;
    qWarning() << "Windows dropped the keyboard and mouse hooks (the program was kept busy): they are put back";
    // A hook that Windows dropped cannot be removed again; the calls only fail.
    keyboardHook = nullptr;
    mouseHook = nullptr;
    lastHookCall = GetTickCount();
    if (!installHooks()) {
        hookOwner = nullptr;
        hookCheck->stop();
        emit idleDetectionChanged(false);
        return;
    }
    // Somebody was at the keyboard while the hooks were gone.
    emit activity();
}

void LowLevelHookActivitySource::report()
{
    emit activity();
}

LRESULT CALLBACK LowLevelHookActivitySource::keyboardProcedure(int code, WPARAM wParam, LPARAM lParam)
{
    lastHookCall = GetTickCount();
    // Windows asks the hook to look only at HC_ACTION calls; every call is passed on.
    if (code == HC_ACTION && hookOwner && keyboardMessageCounts(wParam))
        hookOwner->report();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK LowLevelHookActivitySource::mouseProcedure(int code, WPARAM wParam, LPARAM lParam)
{
    lastHookCall = GetTickCount();
    if (code == HC_ACTION && hookOwner && mouseMessageCounts(wParam))
        hookOwner->report();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
