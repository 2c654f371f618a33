#include "tasks_ui/LastWarningWindow.h"

#include "widgets/PopupFrame.h"
#include "widgets/WindowDrag.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QSize ContainerSize(400, 170);
const QString AccentButtonStyle = QStringLiteral("background-color:#5289EB;border:none;font-size:14px;color:#ffffff;");
const QString PlainButtonStyle = QStringLiteral(
    "background-color:#ffffff;border:1px solid #B5BCC9;font-size:14px;color:#444444;");

} // namespace

LastWarningWindow::LastWarningWindow(QWidget *parent)
    : QWidget(parent)
{
    // Over every other window, even while the user works elsewhere, and no task bar entry.
    setWindowFlags(windowFlags() | Qt::Tool | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Answered or not, its closing never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    QVBoxLayout *inner = PopupFrame::build(this, QStringLiteral("执行前提醒"), ContainerSize,
                                           QStringLiteral("QWidget#container{border: 1px solid #B5BCC9;};"),
                                           QColor(245, 248, 255));
    setAutoFillBackground(true);
    setFixedSize(ContainerSize.width(), ContainerSize.height() + 40);
    inner->addSpacing(16);
    inner->addWidget(buildMessage());
    inner->addStretch(1);
    inner->addWidget(buildButtons());
    inner->addSpacing(16);
}

QWidget *LastWarningWindow::buildMessage()
{
    auto *message = new QWidget;
    auto *layout = new QHBoxLayout(message);
    layout->setContentsMargins(24, 0, 24, 0);
    auto *icon = new QLabel;
    icon->setFixedSize(48, 48);
    icon->setPixmap(QPixmap(QStringLiteral(":/Tickvale/question")));
    icon->setScaledContents(true);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addSpacing(16);

    auto *texts = new QVBoxLayout;
    countdown = new QLabel;
    countdown->setObjectName(QStringLiteral("countdown"));
    countdown->setStyleSheet(QStringLiteral("font-size:18px;font-weight:bold;color:#5289EB;"));
    descriptionLabel = new QLabel;
    descriptionLabel->setObjectName(QStringLiteral("description"));
    descriptionLabel->setStyleSheet(QStringLiteral("font-size:12px;color:#444444;"));
    descriptionLabel->setWordWrap(true);
    descriptionLabel->setTextFormat(Qt::PlainText);
    texts->addWidget(countdown);
    texts->addWidget(descriptionLabel);
    layout->addLayout(texts, 1);
    return message;
}

QWidget *LastWarningWindow::buildButtons()
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(24, 0, 24, 0);
    layout->setSpacing(12);
    runNow = addButton(row, QStringLiteral("立即执行"), AccentButtonStyle, LastWarningRules::RunNow);
    postpone = addButton(row, QStringLiteral("推迟10分钟"), PlainButtonStyle, LastWarningRules::Postpone);
    skip = addButton(row, QStringLiteral("取消本次"), PlainButtonStyle, LastWarningRules::SkipThisRun);
    return row;
}

QPushButton *LastWarningWindow::addButton(QWidget *row, const QString &text, const QString &style,
                                          LastWarningRules::Answer answer)
{
    auto *button = new QPushButton(text, row);
    button->setFixedSize(100, 30);
    button->setStyleSheet(style);
    row->layout()->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, answer] { emit answered(answer); });
    return button;
}

void LastWarningWindow::setCountdownText(const QString &text)
{
    countdown->setText(text);
}

void LastWarningWindow::setDescription(const QString &text)
{
    descriptionLabel->setText(text);
}

QString LastWarningWindow::countdownText() const
{
    return countdown->text();
}

QString LastWarningWindow::description() const
{
    return descriptionLabel->text();
}

QPushButton *LastWarningWindow::runNowButton() const
{
    return runNow;
}

QPushButton *LastWarningWindow::postponeButton() const
{
    return postpone;
}

QPushButton *LastWarningWindow::skipButton() const
{
    return skip;
}

void LastWarningWindow::mousePressEvent(QMouseEvent *event)
{
    WindowDrag::start(this, event);
}
