#include "widgets/TAVTextNCloseMenuBar.h"

#include "widgets/TAVPushButton.h"

#include <QHBoxLayout>
#include <QLabel>

TAVTextNCloseMenuBar::TAVTextNCloseMenuBar(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setBrush(QPalette::All, QPalette::Window, QBrush(QPixmap(QStringLiteral(":/Tickvale/background"))));
    setPalette(background);

    caption = new QLabel(QStringLiteral("任务描述"));
    caption->setStyleSheet(QStringLiteral("color: white;padding-left:10px;"));
    QFont captionFont = caption->font();
    captionFont.setPointSize(12);
    caption->setFont(captionFont);
    caption->setFixedSize(160, 40);

    closeButton = new TAVPushButton(QStringLiteral(":/Tickvale/close"), 1, this, 4);
    closeButton->setFixedSize(14, 14);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setToolTip(QStringLiteral("Close"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(5, 0, 15, 0);
    layout->addWidget(caption);
    layout->addStretch();
    layout->addWidget(closeButton);

    connect(closeButton, &QPushButton::clicked, this, &TAVTextNCloseMenuBar::onClicked);
}

void TAVTextNCloseMenuBar::setTitle(const QString &title)
{
    caption->setText(title);
}

QString TAVTextNCloseMenuBar::title() const
{
    return caption->text();
}

void TAVTextNCloseMenuBar::onClicked(bool flag)
{
    Q_UNUSED(flag)
    window()->close();
}
