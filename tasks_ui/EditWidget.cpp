#include "tasks_ui/EditWidget.h"

#include "log_ui/VATCalendarWidget.h"
#include "log_ui/VATDateEdit.h"
#include "storage/RecordKeys.h"
#include "widgets/PopupFrame.h"
#include "widgets/TAVComboBox.h"
#include "widgets/TAVDateTimeEdit.h"
#include "widgets/TAVEditLabel.h"
#include "widgets/TAVInputWidget.h"
#include "widgets/TAVLineEdit.h"
#include "widgets/TAVRadioButton.h"
#include "widgets/WholeNumberValidator.h"
#include "widgets/WindowDrag.h"
#include "widgets/WindowPlacement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

const QString SectionStyle = QStringLiteral("font: bold; font-size: 14px; color:#444444;");
const QDate EarliestDate(2021, 7, 19);

bool hasOperand(int orderId)
{
    return orderId >= Connection::RunSoftware && orderId <= Connection::StopSofeware;
}

QString defaultFileChooser(QWidget *parent, int orderId)
{
    // Programs on Linux carry no ".exe" ending: the filter lets every file through.
    const QString filter = orderId == Connection::OpenFile ? QStringLiteral("可打开文件(*)")
                                                           : QStringLiteral("可执行文件(*.exe *)");
    return QFileDialog::getOpenFileName(parent, QStringLiteral("选择"), QDir::homePath(), filter);
}

QWidget *rowOf(std::initializer_list<QWidget *> widgets, int leftMargin = 0)
{
    auto *holder = new QWidget;
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(leftMargin, 0, 0, 0);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    layout->addStretch();
    return holder;
}

TAVEditLabel *unitLabel(const QString &text)
{
    auto *label = new TAVEditLabel;
    label->setText(text);
    return label;
}

} // namespace

EditWidget::EditWidget(QWidget *parent)
    : QWidget(parent)
    , orderName(TaskComposer::actionName(0))
    , columns(TaskComposer::initialColumns())
    , clock([] { return QDateTime::currentDateTime(); })
    , fileChooser(defaultFileChooser)
{
    connection = new Connection(this);
    catalogue = connection->selectOrder({});
    buildLayout();
    connectInputs();
    enableRows();
}

EditWidget::~EditWidget()
{
    if (addressInput)
        addressInput->deleteLater();
}

void EditWidget::setClock(std::function<QDateTime()> newClock)
{
    clock = std::move(newClock);
}

void EditWidget::setFileChooser(FileChooser chooser)
{
    fileChooser = std::move(chooser);
}

QDateTime EditWidget::now() const
{
    return clock();
}

void EditWidget::buildLayout()
{
    QVBoxLayout *containerLayout = PopupFrame::build(this, QStringLiteral("任务描述"), QSize(600, 760),
                                                     QString::fromLatin1(PopupFrame::ContainerStyle),
                                                     QColor(0xF8, 0xF8, 0xF8));
    grid = new QGridLayout;
    grid->setVerticalSpacing(10);
    grid->setContentsMargins(30, 30, 0, 0);
    containerLayout->addLayout(grid);

    kinds = new QButtonGroup(this);
    buildActionRow();
    buildCalendarRows();
    buildConditionRows();
    buildFooter();
    nameInputs();
}

// The inputs carry names (and each row's inputs their kind), so that tests find them as a
// user does, by what they are.
void EditWidget::nameInputs()
{
    for (auto row = rows.cbegin(); row != rows.cend(); ++row) {
        const QString kindNumber = QString::number(row.key());
        for (QWidget *input : row->inputs)
            input->setProperty("kind", row.key());
        const QList<QPair<QWidget *, QString>> named = {
            {row->time, "time"}, {row->hours, "hours"}, {row->minutes, "minutes"}, {row->rate, "rate"}};
        for (const auto &input : named) {
            if (input.first)
                input.first->setObjectName(input.second + kindNumber);
        }
    }
    actions->setObjectName(QStringLiteral("actionList"));
    onceDate->setObjectName(QStringLiteral("onceDate"));
    saturday->setObjectName(QStringLiteral("exceptSaturday"));
    sunday->setObjectName(QStringLiteral("exceptSunday"));
    weekdays->setObjectName(QStringLiteral("weekdayList"));
    monthDays->setObjectName(QStringLiteral("monthDayList"));
    yearMonths->setObjectName(QStringLiteral("yearMonthList"));
    yearDays->setObjectName(QStringLiteral("yearDayList"));
    onlyOnceCheck->setObjectName(QStringLiteral("onlyOnce"));
    executionLine->setObjectName(QStringLiteral("executionLine"));
    cancel->setObjectName(QStringLiteral("cancel"));
}

void EditWidget::buildActionRow()
{
    auto *label = new QLabel(QStringLiteral("一 选择要执行的任务:"));
    label->setStyleSheet(SectionStyle);
    grid->addWidget(label, 0, 0);
    actions = new TAVComboBox;
    actions->setFixedSize(140, 30);
    actions->setStyleSheet(QStringLiteral("font-size: 14px; color:#444444;"));
    for (const Connection::Record &row : qAsConst(catalogue))
        actions->addItem(row.value(Column::Name));
    if (catalogue.isEmpty())
        actions->addItem(QStringLiteral("异常"));
    grid->addWidget(actions, 0, 1);

    auto *gap = new QWidget;
    gap->setFixedHeight(20);
    grid->addWidget(gap, 1, 0);
    auto *conditions = new QLabel(QStringLiteral("二 选择任务执行条件"));
    conditions->setStyleSheet(SectionStyle);
    grid->addWidget(conditions, 2, 0);
}

EditWidget::KindRow &EditWidget::addRow(int kindValue, int gridRow, const QString &text)
{
    KindRow &row = rows[kindValue];
    row.radio = new TAVRadioButton;
    row.radio->setText(text);
    kinds->addButton(row.radio, kindValue);
    grid->addWidget(rowOf({row.radio}, 40), gridRow, 0);
    return row;
}

TAVDateTimeEdit *EditWidget::makeTimeEdit(const QString &format, const QTime &start)
{
    auto *edit = new TAVDateTimeEdit;
    edit->setFixedWidth(140);
    edit->setDisplayFormat(format);
    if (start.isValid())
        edit->setTime(start);
    return edit;
}

QLineEdit *EditWidget::makeNumberEdit(const QString &text, qint64 top)
{
    auto *edit = new TAVLineEdit;
    edit->setFixedWidth(60);
    edit->setValidator(new WholeNumberValidator(top, edit));
    edit->setText(text);
    return edit;
}

void EditWidget::buildCalendarRows()
{
    KindRow &once = addRow(OnceCommission, 3, QStringLiteral("一次"));
    onceDate = new VATDateEdit;
    onceDate->setCalendarPopup(true);
    auto *calendar = new VATCalendarWidget(nullptr);
    calendar->setMinimumDate(EarliestDate);
    calendar->setFixedSize(400, 300);
    onceDate->setCalendarWidget(calendar);
    // The date edit hands its own range to the calendar: the earliest date is set on the edit.
    onceDate->setMinimumDate(EarliestDate);
    onceDate->setDisplayFormat(DateFormat::Date);
    onceDate->setDate(now().date());
    once.time = makeTimeEdit(QStringLiteral("HH:mm"), QTime());
    once.inputs = {onceDate, once.time};
    grid->addWidget(onceDate, 3, 1);
    grid->addWidget(once.time, 3, 2);

    KindRow &daily = addRow(DayCommission, 4, QStringLiteral("每天"));
    daily.time = makeTimeEdit(DateFormat::Time, now().time());
    auto *exceptLabel = new QLabel(QStringLiteral("例外:"));
    exceptLabel->setFixedSize(40, 30);
    exceptLabel->setStyleSheet(QStringLiteral("font-size: 14px; color: #444444"));
    saturday = new QCheckBox(QStringLiteral("周六"));
    sunday = new QCheckBox(QStringLiteral("周日"));
    for (QCheckBox *box : {saturday, sunday}) {
        box->setFixedSize(60, 30);
        box->setStyleSheet(QStringLiteral("font-size: 14px; color: #444444;"));
    }
    auto *exceptRow = new QWidget;
    auto *exceptLayout = new QHBoxLayout(exceptRow);
    exceptLayout->setContentsMargins(0, 0, 0, 0);
    exceptLayout->addWidget(exceptLabel);
    exceptLayout->addSpacing(20);
    exceptLayout->addWidget(saturday);
    exceptLayout->addSpacing(20);
    exceptLayout->addWidget(sunday);
    exceptLayout->addStretch();
    daily.inputs = {daily.time, saturday, sunday, exceptLabel};
    grid->addWidget(daily.time, 4, 1);
    grid->addWidget(exceptRow, 4, 2);
    grid->addWidget(new QWidget, 4, 3);

    KindRow &weekly = addRow(WeekCommission, 5, QStringLiteral("每周"));
    weekdays = new TAVComboBox;
    for (int day = 1; day <= 7; ++day)
        weekdays->addItem(TaskComposer::weekdayName(day));
    weekly.time = makeTimeEdit(DateFormat::Time, QTime(0, 0));
    weekly.inputs = {weekdays, weekly.time};
    grid->addWidget(weekdays, 5, 1);
    grid->addWidget(weekly.time, 5, 2);

    KindRow &monthly = addRow(MonthCommission, 6, QStringLiteral("每月"));
    monthDays = new TAVComboBox;
    for (int day = 1; day <= 31; ++day)
        monthDays->addItem(QStringLiteral("%1日").arg(day));
    monthly.time = makeTimeEdit(DateFormat::Time, QTime(0, 0));
    monthly.inputs = {monthDays, monthly.time};
    grid->addWidget(monthDays, 6, 1);
    grid->addWidget(monthly.time, 6, 2);

    KindRow &yearly = addRow(YearCommission, 7, QStringLiteral("每年"));
    yearMonths = new TAVComboBox;
    for (int month = 1; month <= 12; ++month)
        yearMonths->addItem(QStringLiteral("%1月").arg(month));
    yearDays = new TAVComboBox;
    for (int day = 1; day <= 31; ++day)
        yearDays->addItem(QStringLiteral("%1日").arg(day));
    yearMonths->setFixedWidth(60);
    yearDays->setFixedWidth(60);
    auto *yearRow = new QWidget;
    auto *yearLayout = new QHBoxLayout(yearRow);
    yearLayout->setContentsMargins(0, 0, 0, 0);
    yearLayout->addWidget(yearMonths);
    yearLayout->addSpacing(20);
    yearLayout->addWidget(yearDays);
    yearLayout->addStretch();
    yearly.time = makeTimeEdit(DateFormat::Time, QTime(0, 0));
    yearly.inputs = {yearMonths, yearDays, yearly.time};
    grid->addWidget(yearRow, 7, 1);
    grid->addWidget(yearly.time, 7, 2);
}

void EditWidget::buildConditionRows()
{
    struct ConditionRow
    {
        int kind;
        QString text;
        QString first;
        QString firstUnit;
        qint64 firstTop;
        QString second;
        QString secondUnit;
        qint64 secondTop;
    };
    // The largest numbers the fields take: a countdown or delay of over a year is a typing slip,
    // a day has fewer than 24 hours of running time, an hour 60 minutes.
    const qint64 Hours = 9999;
    const qint64 Minutes = 59;
    const qint64 Periods = 9999;
    const qint64 Rate = 9999999;
    const QString hours = QStringLiteral("小时");
    const QString minutes = QStringLiteral("分钟");
    const QString below = QStringLiteral("分钟低于");
    const QString rate = QStringLiteral("KB/S");
    const QList<ConditionRow> conditionRows = {
        {FromNowCommission, QStringLiteral("从现在开始"), "0", hours, Hours, "0", minutes, Minutes},
        {FromOnCommission, QStringLiteral("电脑开机后"), "0", hours, Hours, "0", minutes, Minutes},
        {FromUntilCommission, QStringLiteral("累计开机"), "0", hours, 23, "0", minutes, Minutes},
        {FromUploadCommission, QStringLiteral("上行速度"), "1", below, Periods, "0", rate, Rate},
        {FromDownloadCommission, QStringLiteral("下载速度"), "1", below, Periods, "0", rate, Rate},
        {FreeCommission, QStringLiteral("电脑空闲"), "5", QStringLiteral("分钟后执行"), Periods, QString(), QString(),
         0},
    };
    int gridRow = 8;
    for (const ConditionRow &entry : conditionRows) {
        KindRow &row = addRow(entry.kind, gridRow, entry.text);
        QLineEdit *first = makeNumberEdit(entry.first, entry.firstTop);
        QLabel *firstUnit = unitLabel(entry.firstUnit);
        grid->addWidget(rowOf({first, firstUnit}), gridRow, 1);
        row.inputs = {first, firstUnit};
        const bool hoursFirst = entry.kind <= FromUntilCommission;
        (hoursFirst ? row.hours : row.minutes) = first;
        if (!entry.second.isEmpty()) {
            QLineEdit *second = makeNumberEdit(entry.second, entry.secondTop);
            QLabel *secondUnit = unitLabel(entry.secondUnit);
            grid->addWidget(rowOf({second, secondUnit}), gridRow, 2);
            row.inputs << second << secondUnit;
            (hoursFirst ? row.minutes : row.rate) = second;
        }
        ++gridRow;
    }
}

void EditWidget::buildFooter()
{
    auto *repeatLabel = new QLabel(QStringLiteral("三 任务重复类型"));
    repeatLabel->setStyleSheet(SectionStyle);
    grid->addWidget(repeatLabel, 14, 0);
    onlyOnceCheck = new QCheckBox(QStringLiteral("只执行一次"));
    onlyOnceCheck->setStyleSheet(QStringLiteral("QCheckBox{font-size: 14px; color: #444444;};"));
    onlyOnceCheck->setEnabled(false);
    grid->addWidget(onlyOnceCheck, 14, 1);

    executionLine = new QLabel;
    executionLine->setAlignment(Qt::AlignCenter);
    QFont lineFont = executionLine->font();
    lineFont.setPointSize(22);
    executionLine->setFont(lineFont);
    QPalette red = executionLine->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    executionLine->setPalette(red);
    grid->addWidget(executionLine, 15, 0, 1, 5);

    auto *note = new QLabel(QStringLiteral("注意:当执行时间等于或早于当前时间,\n命令不会执行"));
    note->setAlignment(Qt::AlignCenter);
    QFont noteFont = note->font();
    noteFont.setPointSize(12);
    note->setFont(noteFont);
    QPalette black = note->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    note->setPalette(black);
    grid->addWidget(note, 16, 0, 1, 5);
    grid->setRowStretch(17, 1);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(-30, 0, 0, 20);
    buttons->addStretch();
    confirm = new QPushButton(QStringLiteral("确定"));
    confirm->setObjectName(QStringLiteral("btn"));
    confirm->setFixedSize(100, 30);
    confirm->setStyleSheet(QStringLiteral("background-color: #5289EB;color: white;border:none;"));
    buttons->addWidget(confirm);
    buttons->addSpacing(20);
    cancel = new QPushButton(QStringLiteral("取消"));
    cancel->setFixedSize(100, 30);
    cancel->setStyleSheet(QStringLiteral("background-color: white;color: #444444;border:none;"));
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 18, 0, 1, 3);
}

void EditWidget::connectInputs()
{
    connect(actions, qOverload<int>(&QComboBox::currentIndexChanged), this, &EditWidget::actionChosen);
    connect(kinds, &QButtonGroup::idClicked, this, &EditWidget::planType);
    connect(confirm, &QPushButton::clicked, this, &EditWidget::confirmAction);
    connect(cancel, &QPushButton::clicked, this, &EditWidget::cancelAction);

    connect(onceDate, &QDateEdit::dateChanged, this, [this] { planType(OnceCommission); });
    for (int calendarKind = OnceCommission; calendarKind <= YearCommission; ++calendarKind) {
        // The first run is the next moment with the chosen day and time: a new time can move it
        // to another day (a weekly task for today, later than now, is today and not next week).
        connect(rows[calendarKind].time, &QDateTimeEdit::dateTimeChanged, this, [this, calendarKind] {
            computeCalendarDate(calendarKind);
            planType(calendarKind);
        });
    }
    for (QCheckBox *box : {saturday, sunday}) {
        connect(box, &QCheckBox::stateChanged, this, [this] {
            exceptions = FirstRunCalculator::exceptDayFor(saturday->isChecked(), sunday->isChecked());
            planType(DayCommission);
        });
    }
    auto dayChoice = [this](int calendarKind) {
        return [this, calendarKind] {
            computeCalendarDate(calendarKind);
            planType(calendarKind);
        };
    };
    connect(weekdays, qOverload<int>(&QComboBox::currentIndexChanged), this, dayChoice(WeekCommission));
    connect(monthDays, qOverload<int>(&QComboBox::currentIndexChanged), this, dayChoice(MonthCommission));
    connect(yearMonths, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        fitYearDays();
        computeCalendarDate(YearCommission);
        planType(YearCommission);
    });
    connect(yearDays, qOverload<int>(&QComboBox::currentIndexChanged), this, dayChoice(YearCommission));

    for (int conditionKind = FromNowCommission; conditionKind <= FreeCommission; ++conditionKind) {
        const KindRow &row = rows[conditionKind];
        for (QLineEdit *edit : {row.hours, row.minutes, row.rate}) {
            if (edit)
                connect(edit, &QLineEdit::textEdited, this, [this, conditionKind] { planType(conditionKind); });
        }
    }
    connect(onlyOnceCheck, &QCheckBox::stateChanged, this, [this](int state) {
        onlyOnce = state == Qt::Checked;
        if (kind != -1)
            planType(kind);
    });
}

void EditWidget::fitYearDays()
{
    // A year's February may have 29 days; no month offers a day it never has.
    const int days = QDate(2000, yearMonths->currentIndex() + 1, 1).daysInMonth();
    const QSignalBlocker quiet(yearDays);
    const int chosen = yearDays->currentIndex();
    while (yearDays->count() > days)
        yearDays->removeItem(yearDays->count() - 1);
    while (yearDays->count() < days)
        yearDays->addItem(QStringLiteral("%1日").arg(yearDays->count() + 1));
    yearDays->setCurrentIndex(qMin(chosen, days - 1));
}

void EditWidget::enableRows()
{
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        for (QWidget *input : it.value().inputs)
            input->setEnabled(it.key() == kind);
    }
}

int EditWidget::timeOfDay(int calendarKind) const
{
    return rows.value(calendarKind).time->time().msecsSinceStartOfDay() / 1000;
}

void EditWidget::computeCalendarDate(int calendarKind)
{
    const QDateTime current = now();
    const int t = timeOfDay(calendarKind);
    switch (calendarKind) {
    case WeekCommission:
        calendarDates[calendarKind] = FirstRunCalculator::weekly(weekdays->currentIndex() + 1, t, current);
        break;
    case MonthCommission:
        calendarDates[calendarKind] = FirstRunCalculator::monthly(monthDays->currentIndex() + 1, t, current);
        break;
    case YearCommission:
        calendarDates[calendarKind] = FirstRunCalculator::yearly(yearMonths->currentIndex() + 1,
                                                                 yearDays->currentIndex() + 1, t, current);
        break;
    default:
        break;
    }
}

QDate EditWidget::calendarDate(int calendarKind)
{
    switch (calendarKind) {
    case OnceCommission:
        return FirstRunCalculator::once(onceDate->date());
    case DayCommission:
        return FirstRunCalculator::daily(timeOfDay(DayCommission), now(), exceptions);
    default:
        if (!calendarDates.contains(calendarKind))
            computeCalendarDate(calendarKind);
        return calendarDates.value(calendarKind);
    }
}

void EditWidget::planType(int index)
{
    if (!rows.contains(index))
        return;
    kind = index;
    rows[index].radio->setChecked(true);
    enableRows();
    onlyOnceCheck->setEnabled(TaskComposer::allowsOnlyOnce(index));
    const auto commission = TaskComposer::CommissionType(index);
    if (TaskComposer::isCalendarKind(index)) {
        TaskComposer::CalendarChoice choice;
        choice.firstRun = calendarDate(index);
        choice.timeOfDay = timeOfDay(index);
        choice.weekday = weekdays->currentIndex() + 1;
        choice.monthDay = monthDays->currentIndex() + 1;
        choice.month = yearMonths->currentIndex() + 1;
        choice.day = yearDays->currentIndex() + 1;
        choice.exceptSaturday = saturday->isChecked();
        choice.exceptSunday = sunday->isChecked();
        columns = TaskComposer::calendarColumns(commission, orderId, choice);
    } else {
        const KindRow &row = rows[index];
        TaskComposer::ConditionChoice choice;
        choice.hours = row.hours ? row.hours->text() : QString();
        choice.minutes = row.minutes ? row.minutes->text() : QString();
        choice.rate = row.rate ? row.rate->text() : QString();
        choice.onlyOnce = onlyOnce && TaskComposer::allowsOnlyOnce(index);
        columns = TaskComposer::conditionColumns(commission, orderId, choice);
    }
    executionLine->setText(TaskComposer::executionLine(columns.value(Column::From1970Seconds).toLongLong()));
}

void EditWidget::actionChosen(int index)
{
    orderId = catalogue.isEmpty() ? 0 : index;
    orderName = TaskComposer::actionName(orderId);
    operationType = TaskComposer::operationTypeFor(orderId);
    if (operationType == Connection::None)
        operandText.clear();
    if (hasOperand(orderId) && !loading && (editedTask.isEmpty() || kind != -1))
        chooseOperand();
    if (kind != -1)
        planType(kind);
}

void EditWidget::chooseOperand()
{
    if (orderId != Connection::GetUrl) {
        operandText = fileChooser(this, orderId);
        return;
    }
    if (addressInput)
        addressInput->deleteLater();
    addressInput = new TAVInputWidget(nullptr);
    addressInput->setAttribute(Qt::WA_DeleteOnClose);
    addressInput->setTexts(QStringLiteral("请输入网址"), QStringLiteral("http://"));
    addressInput->setFixedSize(400, 180);
    addressInput->setWindowModality(Qt::ApplicationModal);
    WindowPlacement::centreOn(addressInput, this);
    connect(addressInput, &TAVInputWidget::getInputContent, this,
            [this](const QString &content) { operandText = content; });
    connect(addressInput, &QObject::destroyed, this, [this] { addressInput = nullptr; });
    addressInput->show();
}

void EditWidget::confirmAction(bool flag)
{
    Q_UNUSED(flag)
    if (kind == -1) {
        QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("请选择任务执行条件"));
        return;
    }
    const QString periodProblem = TaskComposer::periodProblem(kind, columns);
    if (!periodProblem.isEmpty()) {
        QMessageBox::information(this, QStringLiteral("提示"), periodProblem);
        return;
    }
    QString operandNow = operandText;
    if (hasOperand(orderId) && operandNow.isEmpty())
        operandNow = editedTask.value(Column::Position);
    const QString id = editedTask.value(Column::Id);
    const bool edits = !editedTask.isEmpty() && !id.isEmpty() && id != QLatin1String("-1");
    const QString positionId = edits ? editedTask.value(Column::AppPositionT, QStringLiteral("-1"))
                                     : QStringLiteral("-1");
    const Connection::Record record = TaskComposer::saveRecord(columns, operandNow, positionId, edits ? id : QString());
    const bool stored = edits ? connection->updatePlan(record) : connection->insertPlan(record);
    if (!stored) {
        qWarning() << "The task could not be saved";
        QMessageBox::information(this, QStringLiteral("提示"),
                                 QStringLiteral("任务未能保存。%1").arg(connection->writeFailureText()));
        return;
    }
    saved = true;
    close();
}

void EditWidget::cancelAction(bool flag)
{
    Q_UNUSED(flag)
    close();
}

void EditWidget::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (saved && !closeSignalled) {
        closeSignalled = true;
        // The opener asks its start question next: the editor is out of sight by then.
        hide();
        emit closeWin();
    }
}

void EditWidget::mousePressEvent(QMouseEvent *event)
{
    WindowDrag::start(this, event);
}

void EditWidget::loadPlan(const Connection::Record &record)
{
    loading = true;
    editedTask = record;
    const Connection::RecordList fresh = connection->selectPlan({{Column::Id, record.value(Column::Id)}});
    if (!fresh.isEmpty())
        editedTask = fresh.first();
    const qlonglong operandId = editedTask.value(Column::AppPositionT).toLongLong();
    if (operandId >= 0) {
        const Connection::RecordList operands = connection->selectAppPosition(
            {{Column::Id, QString::number(operandId)}});
        if (!operands.isEmpty())
            editedTask.insert(Column::Position, operands.first().value(Column::Position));
    }

    const int action = editedTask.value(Column::OrderT).toInt();
    if (actions->currentIndex() == action)
        actionChosen(action);
    else
        actions->setCurrentIndex(action);

    const QDateTime stored = QDateTime::fromString(editedTask.value(Column::RepeatDetailDay), DateFormat::DateTime);
    if (editedTask.value(Column::TimerMode).toInt() == Connection::ToTarget)
        loadCalendarTask(editedTask, stored);
    else
        loadConditionTask(editedTask);
    loading = false;
}

void EditWidget::loadCalendarTask(const Connection::Record &task, const QDateTime &stored)
{
    const int calendarKind = task.value(Column::RepeatMode).toInt();
    if (!TaskComposer::isCalendarKind(calendarKind))
        return;
    planType(calendarKind);
    if (stored.isValid())
        rows[calendarKind].time->setTime(stored.time());
    const QDate date = stored.date();
    switch (calendarKind) {
    case OnceCommission:
        if (date.isValid())
            onceDate->setDate(date);
        break;
    case DayCommission: {
        const int except = task.value(Column::RepeatExcept).toInt();
        saturday->setChecked(except == Connection::ExceptSat || except == Connection::ExceptWeekend);
        sunday->setChecked(except == Connection::ExceptSun || except == Connection::ExceptWeekend);
        break;
    }
    case WeekCommission:
        if (date.isValid())
            weekdays->setCurrentIndex(date.dayOfWeek() - 1);
        break;
    case MonthCommission:
        if (date.isValid())
            monthDays->setCurrentIndex(date.day() - 1);
        break;
    case YearCommission:
        if (date.isValid()) {
            yearMonths->setCurrentIndex(date.month() - 1);
            yearDays->setCurrentIndex(date.day() - 1);
        }
        break;
    default:
        break;
    }
    // The first run of a repeating kind is computed afresh from today with the stored time.
    computeCalendarDate(calendarKind);
    planType(calendarKind);
}

void EditWidget::loadConditionTask(const Connection::Record &task)
{
    const qint64 lease = task.value(Column::LeaseSecond).toLongLong();
    const int timerMode = task.value(Column::TimerMode).toInt();
    const qint64 hours = qMax<qint64>(0, lease / 3600);
    const qint64 minutes = (lease - hours * 3600) / 60;
    int conditionKind = FreeCommission;
    switch (timerMode) {
    case Connection::FromNow:
        conditionKind = FromNowCommission;
        break;
    case Connection::FromTurnOn:
        conditionKind = FromOnCommission;
        break;
    case Connection::FromTurnOnUntil:
        conditionKind = FromUntilCommission;
        break;
    case Connection::FromNowInUpload:
        conditionKind = FromUploadCommission;
        break;
    case Connection::FromNowInDownload:
        conditionKind = FromDownloadCommission;
        break;
    default:
        break;
    }
    KindRow &row = rows[conditionKind];
    if (conditionKind <= FromUntilCommission) {
        row.hours->setText(QString::number(hours));
        row.minutes->setText(QString::number(minutes));
    } else {
        row.minutes->setText(QString::number(lease / 60));
        if (row.rate)
            row.rate->setText(task.value(Column::ConditionSpeed));
    }
    // A task saved to run once keeps that choice when it is edited.
    const bool runsOnce = task.value(Column::RepeatMode).toInt() == Connection::Once;
    if (TaskComposer::allowsOnlyOnce(conditionKind)) {
        onlyOnceCheck->setEnabled(true);
        onlyOnceCheck->setChecked(runsOnce);
    }
    planType(conditionKind);
}

TAVRadioButton *EditWidget::kindButton(int kindValue) const
{
    return rows.value(kindValue).radio;
}

QPushButton *EditWidget::confirmButton() const
{
    return confirm;
}
