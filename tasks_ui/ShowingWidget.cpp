#include "tasks_ui/ShowingWidget.h"

#include "schedule/TaskComposer.h"
#include "storage/RecordKeys.h"
#include "widgets/FittedLabel.h"
#include "widgets/PopupFrame.h"
#include "widgets/WindowDrag.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ShowingWidget::ShowingWidget(QWidget *parent)
    : QWidget(parent)
{
    QVBoxLayout *content = PopupFrame::build(this, QStringLiteral("任务描述"), QSize(400, 360),
                                             QString::fromLatin1(PopupFrame::ContainerStyle), QColor(0xF8, 0xF8, 0xF8));
    content->addSpacing(40);
    action = addRow(content, QStringLiteral("执行任务:"),
                    QStringLiteral("QLabel{font: bold ; font-size: 14px; color: #444444;}"),
                    QStringLiteral("QLabel{font-size: 14px; color: #444444;}"), 1);
    content->addSpacing(40);
    condition = addRow(content, QStringLiteral("执行条件:"),
                       QStringLiteral("QLabel{font: bold ; font-size: 14px; color: #444444;}"),
                       QStringLiteral("QLabel{;font-size: 14px; color: #444444;}"), 2);
    content->addSpacing(40);
    time = addRow(content, QStringLiteral("执行时间:"),
                  QStringLiteral("QLabel{font: bold; font-size: 14px; color: #444444;}"),
                  QStringLiteral("QLabel{font-size: 14px; color: #444444;}"), 1);
    content->addSpacing(40);
    operand = addRow(content, QStringLiteral("任务参数:"),
                     QStringLiteral("QLabel{font: bold; font-size: 14px; color: #444444;}"),
                     QStringLiteral("QLabel{font-size: 14px; color: #444444;single-line}"), 0);
    operand->setFixedHeight(60);
    operand->setWordWrap(true);
    operand->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    content->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    confirm = new QPushButton(QStringLiteral("确定"));
    confirm->setFixedSize(100, 30);
    confirm->setStyleSheet(
        QStringLiteral("QPushButton{background-color: #5289EB; color: white;font-size: 14px;border: none;};"));
    buttons->addWidget(confirm);
    buttons->addStretch();
    content->addLayout(buttons);
    content->addSpacing(20);
    connect(confirm, &QPushButton::clicked, this, &QWidget::close);
}

FittedLabel *ShowingWidget::addRow(QVBoxLayout *content, const QString &caption, const QString &captionStyle,
                                   const QString &valueStyle, int lines)
{
    auto *row = new QHBoxLayout;
    row->addSpacing(30);
    auto *captionLabel = new QLabel(caption);
    captionLabel->setStyleSheet(captionStyle);
    captionLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    row->addWidget(captionLabel);
    row->addSpacing(10);
    // Long conditions, paths and addresses wrap inside the window instead of running off it;
    // what does not fit in the value's lines is cut with "…" and shown whole as its tool tip.
    auto *value = new FittedLabel;
    value->setStyleSheet(valueStyle);
    value->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    value->setWrapping(true);
    value->setMaximumLines(lines);
    row->addWidget(value, 1);
    row->addStretch();
    // A wrapped value keeps clear of the window's right border, as the captions do of its left.
    row->addSpacing(20);
    content->addLayout(row);
    return value;
}

void ShowingWidget::loadPlan(const Connection::Record &record)
{
    condition->setText(record.value(Column::Name));
    time->setText(record.value(Column::RepeatDetailDay));
    const qlonglong operandId = record.value(Column::AppPositionT).toLongLong();
    if (operandId >= 0) {
        Connection connection(nullptr);
        const Connection::RecordList rows = connection.selectAppPosition({{Column::Id, QString::number(operandId)}});
        if (!rows.isEmpty())
            operand->setText(rows.first().value(Column::Position));
    }
    action->setText(TaskComposer::actionName(record.value(Column::OrderT).toInt()));
}

QString ShowingWidget::actionText() const
{
    return action->text();
}

QString ShowingWidget::conditionText() const
{
    return condition->text();
}

QString ShowingWidget::timeText() const
{
    return time->text();
}

QString ShowingWidget::operandText() const
{
    return operand->text();
}

FittedLabel *ShowingWidget::conditionLabel() const
{
    return condition;
}

FittedLabel *ShowingWidget::operandLabel() const
{
    return operand;
}

void ShowingWidget::mousePressEvent(QMouseEvent *event)
{
    WindowDrag::start(this, event);
}
