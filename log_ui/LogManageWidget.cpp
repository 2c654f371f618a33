#include "log_ui/LogManageWidget.h"

#include "monitors/Command.h"

#include <QCoreApplication>

LogManageWidget::LogManageWidget(QWidget *parent)
    : QWidget(parent)
{
    Command command(nullptr);
    command.setRunAsAdmin(QCoreApplication::applicationFilePath().replace(QLatin1Char('/'), QLatin1Char('\\')));
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(245, 248, 255));
    setPalette(background);
    setAutoFillBackground(true);
}
