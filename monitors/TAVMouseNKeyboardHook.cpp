#include "monitors/TAVMouseNKeyboardHook.h"

#include "platform/InputActivitySource.h"
#include "platform/PlatformServices.h"

#include <QCoreApplication>
#include <QDebug>
#include <QPointer>

namespace {

struct HookState
{
    std::unique_ptr<InputActivitySource> source;
    QPointer<TAVMouseNKeyboardHook> target;
    TAVMouseNKeyboardHook::SourceFactory factory;
    bool postRoutineAdded = false;
};

HookState &hookState()
{
    static HookState state;
    return state;
}

} // namespace

void TAVMouseNKeyboardHook::installHook(TAVMouseNKeyboardHook *target)
{
    HookState &state = hookState();
    uninstallHook();
    state.target = target;
    state.source = state.factory ? state.factory() : PlatformServices::inputActivity();
    QObject::connect(state.source.get(), &InputActivitySource::activity, [] {
        if (hookState().target)
            emit hookState().target->hasAction();
    });
    QObject::connect(state.source.get(), &InputActivitySource::idleDetectionChanged, [](bool detectable) {
        if (hookState().target)
            emit hookState().target->idleDetectionChanged(detectable);
    });
    if (!state.source->start()) {
        state.source.reset();
        return;
    }
    // The display connection must close before the application object goes away.
    if (!state.postRoutineAdded) {
        qAddPostRoutine(&TAVMouseNKeyboardHook::uninstallHook);
        state.postRoutineAdded = true;
    }
}

void TAVMouseNKeyboardHook::uninstallHook()
{
    HookState &state = hookState();
    if (state.source) {
        state.source->stop();
        state.source.reset();
    }
    state.target = nullptr;
}

bool TAVMouseNKeyboardHook::isInstalled()
{
    return hookState().source != nullptr;
}

bool TAVMouseNKeyboardHook::detectsIdleness()
{
    return hookState().source && hookState().source->detectsIdleness();
}

void TAVMouseNKeyboardHook::setSourceFactory(SourceFactory factory)
{
    hookState().factory = std::move(factory);
}
