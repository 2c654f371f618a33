#pragma once

#include <memory>

class CompatibilityLayer;
class InputActivitySource;
class NetworkCounterSource;

// Makes the operating system's implementation of each platform facility. Subsystems ask
// here (or are handed a fake by tests) and never name an implementation themselves.
class PlatformServices
{
public:
    static std::unique_ptr<NetworkCounterSource> networkCounters();
    static std::unique_ptr<InputActivitySource> inputActivity();
    static std::unique_ptr<CompatibilityLayer> compatibilityLayer();
};
