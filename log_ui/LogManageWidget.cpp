#include "log_ui/LogManageWidget.h"

#include "log_ui/RunPairing.h"
#include "log_ui/VATDateTimeBetweenWidget.h"
#include "log_ui/VATLogDateButton.h"
#include "monitors/Command.h"
#include "storage/RecordKeys.h"
#include "widgets/WindowPlacement.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QLabel *separator()
{
    auto *line = new QLabel;
    line->setFixedSize(1, 33);
    line->setStyleSheet(QStringLiteral("QLabel{background: #C7C9D5; }"));
    return line;
}

QTableWidgetItem *centred(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace

LogManageWidget::LogManageWidget(QWidget *parent, std::shared_ptr<PowerEventSource> source)
    : QWidget(parent)
    , clock([] { return QDateTime::currentDateTime(); })
{
    connection = new Connection(this);
    command = new Command(this, std::move(source));
    // A large journal, or a tool that hangs, must not hold the window back: the history is
    // gathered on a thread of its own and the table follows when it is in.
    connect(command, &Command::powerEventsCollected, this, &LogManageWidget::powerEventsCollected);
    command->startCollecting();
    command->setRunAsAdmin(QCoreApplication::applicationFilePath().replace(QLatin1Char('/'), QLatin1Char('\\')));
    buildLayout();
}

void LogManageWidget::powerEventsCollected()
{
    // Until a period is chosen the table stays empty; a chosen one shows what came in.
    if (!filterMap.isEmpty())
        reloadRows(filterMap);
}

void LogManageWidget::setClock(std::function<QDateTime()> newClock)
{
    clock = std::move(newClock);
}

void LogManageWidget::buildLayout()
{
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(245, 248, 255));
    setPalette(background);
    setAutoFillBackground(true);

    mainLayout = new QVBoxLayout(this);
    mainLayout->setSpacing(0);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->addWidget(buildFilterBar());
    buildTable();
    mainLayout->addWidget(logTable, 1);
    fillTable();
}

QWidget *LogManageWidget::buildFilterBar()
{
    auto *bar = new QWidget(this);
    bar->setStyleSheet(QStringLiteral("QWidget{background: #F5F8FF}"));
    bar->setFixedSize(900, 44);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setAlignment(Qt::AlignVCenter);

    struct Entry
    {
        QString text;
        int width;
        int spacingBefore;
        std::function<void()> choose;
    };
    const QList<Entry> entries = {
        {QStringLiteral("查看全部日志"), 100, 20, [this] { choosePeriod(LogPeriods::all()); }},
        {QStringLiteral("查看本月日志"), 90, 10, [this] { choosePeriod(LogPeriods::thisMonth(clock())); }},
        {QStringLiteral("查看本周日志"), 90, 10, [this] { choosePeriod(LogPeriods::thisWeek(clock())); }},
        {QStringLiteral("查看昨天日志"), 90, 15, [this] { choosePeriod(LogPeriods::yesterday(clock())); }},
        {QStringLiteral("查看今天日志"), 90, 10, [this] { choosePeriod(LogPeriods::today(clock())); }},
        {QStringLiteral("查看指定日期日志"), 110, 10, nullptr},
    };
    for (int i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries.at(i);
        if (i > 0) {
            layout->addSpacing(10);
            layout->addWidget(separator());
        }
        layout->addSpacing(entry.spacingBefore);
        auto *button = new VATLogDateButton(entry.text, Qt::transparent);
        button->setFixedSize(entry.width, 38);
        layout->addWidget(button);
        if (entry.choose)
            connect(button, &QPushButton::clicked, this, entry.choose);
        else
            connect(button, &QPushButton::clicked, this, &LogManageWidget::showDateTimeSelectedView);
    }
    layout->addStretch();
    return bar;
}

void LogManageWidget::buildTable()
{
    logTable = new QTableWidget(this);
    logTable->setObjectName(QStringLiteral("logTable"));
    logTable->setColumnCount(4);
    logTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    logTable->verticalHeader()->hide();
    logTable->setContentsMargins(0, 0, 0, 0);
    logTable->setStyleSheet(QStringLiteral("QTableView{border : 0px solid red;};"));
    QHeaderView *header = logTable->horizontalHeader();
    header->setFixedHeight(30);
    header->setStyleSheet(
        QStringLiteral("QHeaderView::section {background-color: #F6F7F8;border:none; border-right:0px solid gray;};"));
    header->setStretchLastSection(true);
    const QStringList titles = {QStringLiteral("序号"), QStringLiteral("时间"), QStringLiteral("操作"),
                                QStringLiteral("时长")};
    const QList<int> widths = {60, 330, 60, 0};
    QFont headerFont;
    headerFont.setPixelSize(14);
    for (int column = 0; column < titles.size(); ++column) {
        auto *item = new QTableWidgetItem(titles.at(column));
        item->setFont(headerFont);
        item->setForeground(QColor(0x44, 0x44, 0x44));
        item->setBackground(Qt::transparent);
        logTable->setHorizontalHeaderItem(column, item);
        if (widths.at(column) > 0)
            logTable->setColumnWidth(column, widths.at(column));
    }
}

void LogManageWidget::choosePeriod(const LogPeriods::Filter &filter)
{
    filterMap = filter;
    reloadRows(filterMap);
}

void LogManageWidget::reloadRows(const LogPeriods::Filter &filter)
{
    rows = connection->selectSystemLog(filter);
    logTable->setRowCount(rows.size());
    fillTable();
}

void LogManageWidget::fillTable()
{
    const QList<QString> durations = RunPairing::durations(rows);
    logTable->setUpdatesEnabled(false);
    for (int row = 0; row < rows.size(); ++row) {
        const Connection::Record &entry = rows.at(row);
        logTable->setItem(row, 0, centred(QString::number(row + 1)));
        logTable->setItem(row, 1, centred(shownTime(entry.value(Column::OperationTime))));
        logTable->setItem(row, 2, centred(entry.value(Column::Name)));
        logTable->setItem(row, 3, centred(durations.at(row)));
    }
    logTable->setUpdatesEnabled(true);
}

QString LogManageWidget::shownTime(const QString &operationTime)
{
    // The stored text is local time with a "Z" and fractions after the seconds: shown, the
    // "Z" would claim UTC, so the time ends at the seconds. The stored text stays as it is.
    QString time = operationTime.left(19);
    if (time.size() > 10)
        time[10] = QLatin1Char(' ');
    return time;
}

void LogManageWidget::showDateTimeSelectedView(bool flag)
{
    Q_UNUSED(flag)
    auto *rangePicker = new VATDateTimeBetweenWidget(nullptr);
    rangePicker->setAttribute(Qt::WA_DeleteOnClose);
    rangePicker->setFixedSize(460, 250);
    rangePicker->setStyleSheet(QStringLiteral("VATDateTimeBetweenWidget{border: 2px solid red;}"));
    WindowPlacement::centreOn(rangePicker, this);
    connect(rangePicker, &VATDateTimeBetweenWidget::confirmDate, this, &LogManageWidget::confirmDateSlot);
    rangePicker->show();
}

void LogManageWidget::confirmDateSlot(QDate startDate, QDate endDate)
{
    choosePeriod(LogPeriods::range(startDate, endDate));
}
