#pragma once

#include "monitors/TAVMouseNKeyboardHook.h"

#include <QWidget>

class NetInfoThread;

// The timed-task tab. Building it starts the desktop-wide input watch and the network
// sampler that the task triggers rely on.
class ComputerManageWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ComputerManageWidget(QWidget *parent);
    ~ComputerManageWidget() override;

    NetInfoThread *netInfoThread() const;
    TAVMouseNKeyboardHook *inputHook();

private:
    void startMonitors();

    TAVMouseNKeyboardHook hook;
    NetInfoThread *sampler = nullptr;
};
