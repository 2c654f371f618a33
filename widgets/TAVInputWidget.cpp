#include "widgets/TAVInputWidget.h"

#include "widgets/TAVLoadFontFamilyFiles.h"
#include "widgets/TAVTextNCloseMenuBar.h"
#include "widgets/VendorPages.h"
#include "widgets/WindowDrag.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

TAVInputWidget::TAVInputWidget(QWidget *parent)
    : QWidget(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    QPalette background = palette();
    background.setColor(QPalette::All, QPalette::Window, QColor(0xF8, 0xF8, 0xF8));
    setPalette(background);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    titleStrip = new TAVTextNCloseMenuBar(this);
    titleStrip->setFixedHeight(40);
    outer->addWidget(titleStrip);
    outer->addWidget(buildContent());
}

QWidget *TAVInputWidget::buildContent()
{
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("contentWidget"));
    content->setFixedHeight(140);
    content->setStyleSheet(
        QStringLiteral("QWidget#contentWidget{border: 1px solid #B5BCC9;background-color:#eeeeee;};"));
    auto *layout = new QVBoxLayout(content);
    layout->setSpacing(0);

    fontLoader = new TAVLoadFontFamilyFiles(this);
    auto *inputRow = new QHBoxLayout;
    inputRow->setContentsMargins(10, 20, 10, 0);
    prompt = new QLabel;
    prompt->setStyleSheet(QStringLiteral("QLabel{font-family: 'Microsoft YaHei'; font-size: 14px; color:#444444;}"));
    QFont promptFont(fontLoader->loadFontFamily());
    promptFont.setPixelSize(14);
    prompt->setFont(promptFont);
    inputRow->addWidget(prompt, 1, Qt::AlignRight);
    input = new QLineEdit;
    input->setObjectName(QStringLiteral("input"));
    QFont inputFont(QStringLiteral("Microsoft YaHei"));
    inputFont.setPixelSize(14);
    input->setFont(inputFont);
    input->setFixedHeight(30);
    input->setPlaceholderText(QString::fromLatin1(VendorPages::HomePageAddress));
    inputRow->addWidget(input, 10);
    layout->addLayout(inputRow);
    layout->addStretch();

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    confirmBtn = new QPushButton(QStringLiteral("确定"));
    confirmBtn->setStyleSheet(QStringLiteral("QPushButton{background-color: #5289EB; color: white; border: none;}"));
    confirmBtn->setFixedSize(100, 30);
    buttons->addWidget(confirmBtn);
    buttons->addSpacing(20);
    cancelBtn = new QPushButton(QStringLiteral("取消"));
    cancelBtn->setStyleSheet(QStringLiteral("QPushButton{background-color: white; color: #444444; border: none;}"));
    cancelBtn->setFixedSize(100, 30);
    buttons->addWidget(cancelBtn);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addSpacing(20);

    connect(confirmBtn, &QPushButton::clicked, this, &TAVInputWidget::confirm);
    connect(cancelBtn, &QPushButton::clicked, this, &QWidget::close);
    return content;
}

void TAVInputWidget::setTexts(const QString &title, const QString &promptText)
{
    titleStrip->setTitle(title);
    setWindowTitle(title);
    prompt->setText(promptText);
}

void TAVInputWidget::confirm()
{
    const QString text = input->text();
    if (text.isEmpty()) {
        QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("请输入内容"));
        return;
    }
    emit getInputContent(text);
    close();
}

QPushButton *TAVInputWidget::confirmButton() const
{
    return confirmBtn;
}

QPushButton *TAVInputWidget::cancelButton() const
{
    return cancelBtn;
}

void TAVInputWidget::mousePressEvent(QMouseEvent *event)
{
    WindowDrag::start(this, event);
}
