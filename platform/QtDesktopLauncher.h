#pragma once

#include "platform/DesktopLauncher.h"

// The desktop launcher every system Qt runs on offers.
class QtDesktopLauncher final : public DesktopLauncher
{
public:
    void startProgram(const QString &path) override;
    void openUrl(const QUrl &url) override;
    void openFile(const QString &path) override;
};
