#include "tasks_ui/ComputerManageWidget.h"

#include "monitors/NetInfoThread.h"

ComputerManageWidget::ComputerManageWidget(QWidget *parent)
    : QWidget(parent)
{
    startMonitors();
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(245, 248, 255));
    setPalette(background);
    setAutoFillBackground(true);
}

ComputerManageWidget::~ComputerManageWidget()
{
    sampler->stopSampling();
}

void ComputerManageWidget::startMonitors()
{
    TAVMouseNKeyboardHook::installHook(&hook);
    sampler = new NetInfoThread(this);
    sampler->start(QThread::InheritPriority);
}

NetInfoThread *ComputerManageWidget::netInfoThread() const
{
    return sampler;
}

TAVMouseNKeyboardHook *ComputerManageWidget::inputHook()
{
    return &hook;
}
