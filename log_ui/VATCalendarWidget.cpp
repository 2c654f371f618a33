#include "log_ui/VATCalendarWidget.h"

#include "log_ui/QCustomStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QTextCharFormat>

namespace {

const QString NavigationButtonStyle = QStringLiteral(
    "QPushButton{border-style:none;background:transparent;color:#666666;font-size:14px;"
    "font-family:Microsoft YaHei;}QPushButton:pressed{border-image:url(:/images/pressdown.png);}");
const QString BottomButtonStyle = QStringLiteral(
    "QPushButton{border-style:none;background:transparent;color:#7195E5;font-size:14px;"
    "font-family:Microsoft YaHei;}QPushButton:pressed{border-image:url(:/images/pressdown.png);}");

QString pageText(int year, int month)
{
    return QStringLiteral("%1年%2月").arg(year).arg(month);
}

} // namespace

VATCalendarWidget::VATCalendarWidget(QWidget *parent)
    : QCalendarWidget(parent)
{
    // The calendar takes the size its users give it (400 x 300): a layout that fixed it to
    // its own size hint would leave it smaller than its drop-down, its last columns and week
    // cut off once the fonts are larger than the hint's.
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    setLocale(QLocale(QLocale::Chinese));
    setNavigationBarVisible(false);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    setStyle(new QCustomStyle(this));

    QTextCharFormat format;
    format.setForeground(QColor(0xA0, 0xA0, 0xA0));
    format.setBackground(QColor(0xFF, 0xFF, 0xFF));
    setHeaderTextFormat(format);
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day)
        setWeekdayTextFormat(Qt::DayOfWeek(day), format);

    buildNavigationStrip();
    buildBottomStrip();
    connect(this, &QCalendarWidget::currentPageChanged, this, &VATCalendarWidget::showPage);
    showPage(selectedDate().year(), selectedDate().month());
}

QPushButton *VATCalendarWidget::makeButton(const QString &objectName, const QString &text, const QSize &size,
                                           const QString &style)
{
    auto *button = new QPushButton(text);
    button->setObjectName(objectName);
    button->setFixedSize(size);
    button->setStyleSheet(style);
    return button;
}

QHBoxLayout *VATCalendarWidget::makeStrip(const QString &objectName, int fontPixels, int spacing)
{
    auto *strip = new QWidget(this);
    strip->setObjectName(objectName);
    strip->setFixedHeight(40);
    strip->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    strip->setStyleSheet(QStringLiteral("QWidget#%1{background:transparent;color:#000000;border:1px solid #dadde3;"
                                        "font-size:%2px;font-family:Microsoft YaHei;"
                                        "background-color:rgb(255, 255, 255);}")
                             .arg(objectName)
                             .arg(fontPixels));
    auto *layout = new QHBoxLayout(strip);
    layout->setContentsMargins(12, 0, 12, 0);
    layout->setSpacing(spacing);
    return layout;
}

void VATCalendarWidget::buildNavigationStrip()
{
    QHBoxLayout *layout = makeStrip(QStringLiteral("CalendarTopWidget"), 20, 4);

    previousYear = makeButton(QStringLiteral("CalendarLeftYearBtn"), QStringLiteral("<<"), QSize(24, 20),
                              NavigationButtonStyle);
    previousMonth = makeButton(QStringLiteral("CalendarLeftMonthBtn"), QStringLiteral("<"), QSize(20, 20),
                               NavigationButtonStyle);
    nextMonth = makeButton(QStringLiteral("CalendarRightMonthBtn"), QStringLiteral(">"), QSize(20, 20),
                           NavigationButtonStyle);
    nextYear = makeButton(QStringLiteral("CalendarRightYearBtn"), QStringLiteral(">>"), QSize(24, 20),
                          NavigationButtonStyle);
    dataLabel = new QLabel;
    dataLabel->setObjectName(QStringLiteral("CalendarDataLabel"));
    dataLabel->setStyleSheet(QStringLiteral(
        "QLabel{border-style:none;background:transparent;color:#000000;font-size:14px;font-family:Microsoft YaHei;}"));

    layout->addWidget(previousYear);
    layout->addWidget(previousMonth);
    layout->addStretch();
    layout->addWidget(dataLabel);
    layout->addStretch();
    layout->addWidget(nextMonth);
    layout->addWidget(nextYear);

    for (QPushButton *button : {previousYear, previousMonth, nextMonth, nextYear})
        connect(button, &QPushButton::clicked, this, &VATCalendarWidget::onbtnClicked);
    static_cast<QVBoxLayout *>(this->layout())->insertWidget(0, layout->parentWidget());
}

void VATCalendarWidget::buildBottomStrip()
{
    QHBoxLayout *layout = makeStrip(QStringLiteral("CalendarBottomWidget"), 14, 6);
    today = makeButton(QStringLiteral("CalendarTodayBtn"), QStringLiteral("今天"), QSize(40, 22), BottomButtonStyle);
    ensure = makeButton(QStringLiteral("CalendarEnsureBtn"), QStringLiteral("确定"), QSize(40, 22), BottomButtonStyle);
    layout->addStretch();
    layout->addWidget(today);
    layout->addWidget(ensure);
    static_cast<QVBoxLayout *>(this->layout())->addWidget(layout->parentWidget());

    connect(today, &QPushButton::clicked, this, [this] {
        setSelectedDate(QDate::currentDate());
        showToday();
    });
    connect(ensure, &QPushButton::clicked, this, [this] {
        emit signalSetCalendarTime(selectedDate());
        emit activated(selectedDate());
    });
}

void VATCalendarWidget::showPage(int year, int newMonth)
{
    dataLabel->setText(pageText(year, newMonth));
    month = newMonth;
}

void VATCalendarWidget::onbtnClicked()
{
    QObject *button = sender();
    if (button == previousYear)
        showPreviousYear();
    else if (button == previousMonth)
        showPreviousMonth();
    else if (button == nextYear)
        showNextYear();
    else if (button == nextMonth)
        showNextMonth();
}

QPushButton *VATCalendarWidget::button(const QString &objectName) const
{
    return findChild<QPushButton *>(objectName);
}

VATCalendarWidget::CellLook VATCalendarWidget::cellLook(const QDate &date, const QDate &selected, const QDate &today,
                                                        const QDate &minimum, const QDate &maximum, int displayedMonth)
{
    if (date == selected)
        return SelectedCell;
    if (date == today)
        return TodayCell;
    if (date >= minimum && date <= maximum)
        return date.month() == displayedMonth ? InRangeCell : OtherMonthCell;
    return OutOfRangeCell;
}

void VATCalendarWidget::paintCell(QPainter *painter, const QRect &rect, const QDate &date) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    const int x = rect.x();
    const int y = rect.y();
    const int w = rect.width();
    const int h = rect.height();
    QRect textRect = rect;
    QColor textColour;
    switch (cellLook(date, selectedDate(), QDate::currentDate(), minimumDate(), maximumDate(), month)) {
    case SelectedCell:
        painter->setBrush(QColor(0x00, 0x91, 0xFF));
        painter->drawRoundedRect(QRect(x, y + 3, w, h - 6), 3, 3);
        textColour = QColor(0xFF, 0xFF, 0xFF);
        break;
    case TodayCell:
        painter->setBrush(QColor(0x00, 0xA1, 0xFF));
        painter->drawRoundedRect(QRect(x, y + 3, w, h - 6), 3, 3);
        painter->setBrush(QColor(0xFF, 0xFF, 0xFF));
        painter->drawRoundedRect(QRect(x + 1, y + 4, w - 2, h - 8), 2, 2);
        textColour = QColor(0x00, 0xA1, 0xFF);
        break;
    case InRangeCell:
    case OtherMonthCell:
        textColour = date.month() == month ? QColor(0x00, 0x00, 0x00) : QColor(0x91, 0x91, 0x91);
        textRect = QRect(x + 3, y + 3, w - 6, h - 6);
        break;
    case OutOfRangeCell:
        painter->setBrush(QColor(0xF9, 0xF9, 0xF9));
        painter->drawRect(QRect(x, y + 3, w, h - 6));
        textColour = QColor(0xDC, 0xDC, 0xDC);
        break;
    }
    painter->setPen(textColour);
    painter->drawText(textRect, Qt::AlignCenter, QString::number(date.day()));
    painter->restore();
}
