#pragma once

#include <QObject>

#include <functional>
#include <memory>

class InputActivitySource;

// Reports keyboard and mouse input anywhere on the desktop as hasAction(). The watch is
// process-wide: one install serves one target object.
class TAVMouseNKeyboardHook final : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    using SourceFactory = std::function<std::unique_ptr<InputActivitySource>()>;

    static void installHook(TAVMouseNKeyboardHook *target);
    static void uninstallHook();
    static bool isInstalled();
    // Whether a stretch without hasAction() means nobody is at the keyboard; false when no
    // watch could be installed or the installed one lost sight of the desktop.
    static bool detectsIdleness();
    // Tests hand in their own input; an empty factory restores the system's.
    static void setSourceFactory(SourceFactory factory);

signals:
    void hasAction();
    void idleDetectionChanged(bool detectable);
};
