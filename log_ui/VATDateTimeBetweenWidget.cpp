#include "log_ui/VATDateTimeBetweenWidget.h"

#include "log_ui/VATCalendarWidget.h"
#include "storage/RecordKeys.h"
#include "widgets/TAVTextNCloseMenuBar.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QDate EarliestDate(2021, 7, 19);
}

VATDateTimeBetweenWidget::VATDateTimeBetweenWidget(QWidget *parent)
    : QWidget(nullptr)
{
    Q_UNUSED(parent)
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);

    auto *titleStrip = new TAVTextNCloseMenuBar(this);
    titleStrip->setFixedHeight(40);
    titleStrip->setTitle(QString());

    QHBoxLayout *startRow = dateRow(QStringLiteral("开始时间:"), &start);
    startRow->setAlignment(Qt::AlignHCenter);
    QHBoxLayout *endRow = dateRow(QStringLiteral("结束时间:"), &end);
    endRow->setAlignment(Qt::AlignCenter);
    start->setObjectName(QStringLiteral("startDate"));
    end->setObjectName(QStringLiteral("endDate"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    confirm = new QPushButton(QStringLiteral("确定"));
    confirm->setObjectName(QStringLiteral("btn"));
    confirm->setStyleSheet(QStringLiteral("background-color: #5289EB;color: white;border:none;"));
    confirm->setFixedSize(100, 30);
    buttons->addWidget(confirm);
    buttons->addSpacing(20);
    cancel = new QPushButton(QStringLiteral("取消"));
    cancel->setStyleSheet(QStringLiteral("background-color: white;color: #444444;border:none;"));
    cancel->setFixedSize(100, 30);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto *container = new QWidget(this);
    container->setObjectName(QStringLiteral("container"));
    container->setStyleSheet(QStringLiteral("QWidget#container{border: 1px solid #B5BCC9;}"));
    container->setFixedSize(460, 210);
    auto *content = new QVBoxLayout(container);
    content->addSpacing(30);
    content->addLayout(startRow);
    content->addSpacing(10);
    content->addLayout(endRow);
    content->addStretch();
    content->addLayout(buttons);
    content->addSpacing(20);

    auto *outer = new QVBoxLayout(this);
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(titleStrip);
    outer->addWidget(container);

    // The dates go on as they stand: an end before the start is the caller's to judge.
    connect(confirm, &QPushButton::clicked, this, [this] {
        emit confirmDate(start->date(), end->date());
        close();
    });
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
}

QHBoxLayout *VATDateTimeBetweenWidget::dateRow(const QString &caption, QDateEdit **edit)
{
    QFont font;
    font.setPixelSize(14);
    QPalette textPalette;
    textPalette.setColor(QPalette::All, QPalette::WindowText, QColor(0x44, 0x44, 0x44));

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(caption);
    label->setAlignment(Qt::AlignCenter);
    label->setFixedHeight(30);
    label->setFont(font);
    label->setPalette(textPalette);
    row->addWidget(label);
    row->addSpacing(10);

    auto *dateEdit = new QDateEdit(QDate::currentDate());
    dateEdit->setCalendarPopup(true);
    dateEdit->setFixedSize(150, 30);
    auto *calendar = new VATCalendarWidget(nullptr);
    calendar->setMinimumDate(EarliestDate);
    calendar->setFixedSize(400, 300);
    dateEdit->setCalendarWidget(calendar);
    // The date edit hands its own range to the calendar: the earliest date is set on the edit.
    dateEdit->setMinimumDate(EarliestDate);
    dateEdit->setStyleSheet(
        QStringLiteral("QDateEdit::drop-down{width: 80px; height:40px;image: url(:/Tickvale/calendar);}"));
    dateEdit->setDisplayFormat(DateFormat::Date);
    row->addWidget(dateEdit);
    *edit = dateEdit;
    return row;
}

QPushButton *VATDateTimeBetweenWidget::confirmButton() const
{
    return confirm;
}

QPushButton *VATDateTimeBetweenWidget::cancelButton() const
{
    return cancel;
}
