#include "app/VATCloseMessageBox.h"

#include "widgets/PopupFrame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

VATCloseMessageBox::VATCloseMessageBox(QWidget *parent, const QSize &size)
    : QWidget(nullptr)
{
    Q_UNUSED(parent)
    setFixedSize(size);
    QVBoxLayout *inner = PopupFrame::build(this, QStringLiteral("Tickvale Pro"), QSize(460, 210),
                                           QStringLiteral("QWidget#container{border: 1px solid #B5BCC9;};"));
    inner->addSpacing(40);
    inner->addWidget(buildMessageRow());
    inner->addStretch(40);
    inner->addStretch(1);
    inner->addWidget(buildButtonRow());
    inner->addSpacing(20);

    connect(confirm, &QPushButton::clicked, this, [this] {
        close();
        emit confirmSignal(true);
    });
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
}

QWidget *VATCloseMessageBox::buildMessageRow()
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addSpacing(50);

    auto *question = new QLabel;
    question->setFixedSize(48, 48);
    question->setPixmap(QPixmap(QStringLiteral(":/Tickvale/question")));
    question->setScaledContents(true);
    layout->addWidget(question);
    layout->addSpacing(20);

    auto *message = new QLabel(QStringLiteral("您确定要退出程序吗?"));
    message->setStyleSheet(QStringLiteral("font-size:14px;color:#444444;"));
    layout->addWidget(message);
    return row;
}

QWidget *VATCloseMessageBox::buildButtonRow()
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();

    confirm = new QPushButton(QStringLiteral("确定"));
    confirm->setFixedSize(100, 30);
    confirm->setStyleSheet(QStringLiteral("background-color:#5289EB;border:none;font-size:14px;color:#ffffff;"));
    layout->addWidget(confirm);
    layout->addSpacing(10);

    cancel = new QPushButton(QStringLiteral("取消"));
    cancel->setFixedSize(100, 30);
    cancel->setStyleSheet(QStringLiteral("background-color:#ffffff;border:none;font-size:14px;color:#444444;"));
    layout->addWidget(cancel);
    layout->addStretch();
    return row;
}

QPushButton *VATCloseMessageBox::confirmButton() const
{
    return confirm;
}

QPushButton *VATCloseMessageBox::cancelButton() const
{
    return cancel;
}
