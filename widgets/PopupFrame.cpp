#include "widgets/PopupFrame.h"

#include "widgets/TAVTextNCloseMenuBar.h"

#include <QVBoxLayout>

const char *const PopupFrame::ContainerStyle = "QWidget#container{border: 1px solid #B5BCC9;}";

QVBoxLayout *PopupFrame::build(QWidget *window, const QString &title, const QSize &containerSize,
                               const QString &containerStyle, const QColor &background)
{
    window->setWindowFlags(window->windowFlags() | Qt::FramelessWindowHint);
    if (background.isValid()) {
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, background);
        window->setPalette(palette);
    }
    auto *outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto *titleStrip = new TAVTextNCloseMenuBar(window);
    titleStrip->setFixedHeight(40);
    titleStrip->setTitle(title);
    // Names the frameless window to the desktop (task bar, window lists).
    if (!title.isEmpty())
        window->setWindowTitle(title);
    outer->addWidget(titleStrip);

    auto *container = new QWidget(window);
    container->setObjectName(QStringLiteral("container"));
    container->setFixedSize(containerSize);
    container->setStyleSheet(containerStyle);
    outer->addWidget(container);
    auto *content = new QVBoxLayout(container);
    content->setContentsMargins(0, 0, 0, 0);
    return content;
}
