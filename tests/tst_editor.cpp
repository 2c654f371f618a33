#include "ModalAnswerer.h"
#include "ScratchDirectory.h"
#include "log_ui/VATDateEdit.h"
#include "schedule/TaskComposer.h"
#include "tasks_ui/EditWidget.h"
#include "widgets/TAVComboBox.h"
#include "widgets/TAVDateTimeEdit.h"
#include "widgets/TAVInputWidget.h"
#include "widgets/TAVRadioButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

using Record = Connection::Record;
using TC = TaskComposer;

namespace {
// Wednesday 2026-12-09, 10:00.
const QDateTime Now(QDate(2026, 12, 9), QTime(10, 0, 0));
const QStringList ComparedColumns = {"name",
                                     "order_t",
                                     "lease_second",
                                     "timer_mode",
                                     "repeat_mode",
                                     "repeat_time_day_month_year_in_second",
                                     "repeat_bigger_unit",
                                     "repeat_except",
                                     "repeat_detail_day",
                                     "from_1970_seconds",
                                     "condition_speed",
                                     "enable_state",
                                     "eng_name",
                                     "order_command"};

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Double-clicks the hours of a time field and types the digits of a time, as a person does.
void typeTime(QDateTimeEdit *edit, const QString &digits)
{
    auto *text = edit->findChild<QLineEdit *>();
    QTest::mouseDClick(text, Qt::LeftButton, {}, QPoint(4, text->height() / 2));
    QTest::keyClicks(edit, digits);
}

// Picks an item of a list by typing the start of its text, as the keyboard allows.
void pick(QComboBox *list, const QString &text)
{
    // Typed apart from the last search, so that the two do not run together.
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    list->setFocus();
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, list, Qt::Key_unknown, QString(character), Qt::NoModifier);
}
} // namespace

class TestEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void confirmingWithoutAConditionAsksForOne();
    void onlyTheChosenRowIsEnabled();
    void eachKindSavesWhatTheCoreComputes_data();
    void eachKindSavesWhatTheCoreComputes();
    void onlyOnceBoxDecidesTheRepeat();
    void operandAbandonedForShutdownIsNotSaved();
    void addressWindowOpensForNewTasksOnly();
    void loadingStoredTasks_data();
    void loadingStoredTasks();
    void dailyExceptionsSurviveAnUnchangedSave();
    void cancelEmitsNothingAndConfirmEmitsOnce();
    void numberFieldsTakeWholeNumbersOnly_data();
    void numberFieldsTakeWholeNumbersOnly();
    void everyNumberFieldRefusesPointsAndLetters_data();
    void everyNumberFieldRefusesPointsAndLetters();
    void periodOfZeroIsRefusedOnConfirm_data();
    void periodOfZeroIsRefusedOnConfirm();
    void firstRunFollowsTheTimeTyped_data();
    void firstRunFollowsTheTimeTyped();
    void yearlyDaysAreThoseOfTheMonth();
    void failedSaveSaysSoAndKeepsTheEditorOpen();
    void addressWindowOpensOverTheEditor();

private:
    std::unique_ptr<EditWidget> newEditor();
    Record lastTask();

    std::unique_ptr<ScratchDirectory> scratch;
    std::unique_ptr<Connection> connection;
};

void TestEditor::init()
{
    scratch = std::make_unique<ScratchDirectory>();
    connection = std::make_unique<Connection>(nullptr);
    QVERIFY(connection->createTables());
}

void TestEditor::cleanup()
{
    connection.reset();
    scratch.reset();
}

std::unique_ptr<EditWidget> TestEditor::newEditor()
{
    auto editor = std::make_unique<EditWidget>();
    editor->setClock([] { return Now; });
    editor->setFileChooser([](QWidget *, int) { return QStringLiteral("/usr/bin/xterm"); });
    editor->show();
    return editor;
}

Record TestEditor::lastTask()
{
    return connection->selectPlanList().last();
}

void TestEditor::confirmingWithoutAConditionAsksForOne()
{
    auto editor = newEditor();
    QSignalSpy closed(editor.get(), &EditWidget::closeWin);
    ModalAnswerer answer("OK");
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    QVERIFY(answer.answered);
    QCOMPARE(answer.title, QStringLiteral("提示"));
    QCOMPARE(answer.text, QStringLiteral("请选择任务执行条件"));
    QVERIFY(editor->isVisible());
    QCOMPARE(closed.size(), 0);
    QCOMPARE(connection->selectPlanList().size(), 1);
}

void TestEditor::onlyTheChosenRowIsEnabled()
{
    auto editor = newEditor();
    for (int kind = 0; kind <= 10; ++kind) {
        for (QWidget *input : editor->rowInputs(kind))
            QVERIFY(!input->isEnabled());
    }
    QVERIFY(!editor->onlyOnceBox()->isEnabled());
    editor->kindButton(EditWidget::FromOnCommission)->click();
    for (int kind = 0; kind <= 10; ++kind) {
        for (QWidget *input : editor->rowInputs(kind))
            QCOMPARE(input->isEnabled(), kind == EditWidget::FromOnCommission);
    }
    QVERIFY(editor->onlyOnceBox()->isEnabled());
    editor->kindButton(EditWidget::FromNowCommission)->click();
    QVERIFY(!editor->onlyOnceBox()->isEnabled());
}

void TestEditor::eachKindSavesWhatTheCoreComputes_data()
{
    QTest::addColumn<int>("kind");
    for (int kind = 0; kind <= 10; ++kind)
        QTest::addRow("kind %d", kind) << kind;
}

void TestEditor::eachKindSavesWhatTheCoreComputes()
{
    QFETCH(int, kind);
    auto editor = newEditor();
    editor->actionList()->setCurrentIndex(3);
    editor->kindButton(kind)->click();
    Record expected;
    const auto commission = TC::CommissionType(kind);
    if (TC::isCalendarKind(kind)) {
        const QTime time(22, 15, kind == 0 ? 0 : 30);
        editor->timeEdit(kind)->setTime(time);
        TC::CalendarChoice choice;
        choice.timeOfDay = time.msecsSinceStartOfDay() / 1000;
        switch (kind) {
        case 0:
            editor->onceDateEdit()->setDate(QDate(2027, 1, 2));
            choice.firstRun = QDate(2027, 1, 2);
            break;
        case 1:
            editor->saturdayBox()->setChecked(true);
            choice.exceptSaturday = true;
            choice.firstRun = FirstRunCalculator::daily(choice.timeOfDay, Now, FirstRunCalculator::ExceptSat);
            break;
        case 2:
            editor->weekdayList()->setCurrentIndex(4);
            choice.weekday = 5;
            choice.firstRun = FirstRunCalculator::weekly(5, choice.timeOfDay, Now);
            break;
        case 3:
            editor->monthDayList()->setCurrentIndex(30);
            choice.monthDay = 31;
            choice.firstRun = FirstRunCalculator::monthly(31, choice.timeOfDay, Now);
            break;
        default:
            editor->yearMonthList()->setCurrentIndex(1);
            editor->yearDayList()->setCurrentIndex(28);
            choice.month = 2;
            choice.day = 29;
            choice.firstRun = FirstRunCalculator::yearly(2, 29, choice.timeOfDay, Now);
            break;
        }
        expected = TC::calendarColumns(commission, 3, choice);
    } else {
        TC::ConditionChoice choice;
        if (QLineEdit *hours = editor->hoursEdit(kind)) {
            typeInto(hours, "02");
            choice.hours = "02";
        }
        typeInto(editor->minutesEdit(kind), "15");
        choice.minutes = "15";
        if (QLineEdit *rate = editor->rateEdit(kind)) {
            typeInto(rate, "64");
            choice.rate = "64";
        }
        expected = TC::conditionColumns(commission, 3, choice);
    }
    QCOMPARE(editor->executionText(), TC::executionLine(expected.value("from_1970_seconds").toLongLong()));
    QSignalSpy closed(editor.get(), &EditWidget::closeWin);
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    QCOMPARE(closed.size(), 1);
    QVERIFY(!editor->isVisible());
    const Record stored = lastTask();
    QCOMPARE(stored.value("id"), QString("1"));
    for (const QString &column : ComparedColumns)
        QCOMPARE(column + "=" + stored.value(column), column + "=" + expected.value(column));
    QCOMPARE(stored.value("app_position_t"), QString("-1"));
}

void TestEditor::onlyOnceBoxDecidesTheRepeat()
{
    for (bool ticked : {true, false}) {
        auto editor = newEditor();
        editor->kindButton(EditWidget::FreeCommission)->click();
        editor->onlyOnceBox()->setChecked(true);
        if (!ticked)
            editor->onlyOnceBox()->setChecked(false);
        QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
        QCOMPARE(lastTask().value("repeat_mode"), QString(ticked ? "0" : "5"));
    }
}

void TestEditor::operandAbandonedForShutdownIsNotSaved()
{
    auto editor = newEditor();
    editor->actionList()->setCurrentIndex(7);
    QCOMPARE(editor->operand(), QString("/usr/bin/xterm"));
    editor->actionList()->setCurrentIndex(0);
    QVERIFY(editor->operand().isEmpty());
    editor->kindButton(EditWidget::FromNowCommission)->click();
    typeInto(editor->minutesEdit(EditWidget::FromNowCommission), "1");
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    QCOMPARE(lastTask().value("app_position_t"), QString("-1"));
    QCOMPARE(lastTask().value("order_t"), QString("0"));
    QVERIFY(connection->selectAppPosition({}).isEmpty());
}

void TestEditor::addressWindowOpensForNewTasksOnly()
{
    auto editor = newEditor();
    editor->actionList()->setCurrentIndex(8);
    QPointer<TAVInputWidget> window = editor->addressWindow();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowModality(), Qt::ApplicationModal);
    QCOMPARE(window->size(), QSize(400, 180));
    QTest::keyClicks(window->lineEdit(), "example.org/help");
    QTest::mouseClick(window->confirmButton(), Qt::LeftButton);
    QCOMPARE(editor->operand(), QString("example.org/help"));
    editor->kindButton(EditWidget::FromNowCommission)->click();
    typeInto(editor->minutesEdit(EditWidget::FromNowCommission), "1");
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    const Record stored = lastTask();
    QCOMPARE(connection->selectAppPosition({{"id", stored.value("app_position_t")}}).value(0).value("position"),
             QString("example.org/help"));

    auto loading = newEditor();
    loading->loadPlan(stored);
    QVERIFY(!loading->addressWindow());
    QCOMPARE(loading->actionList()->currentIndex(), 8);
}

void TestEditor::loadingStoredTasks_data()
{
    QTest::addColumn<Record>("columns");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("rate");
    QTest::newRow("countdown of 5400 s") << TC::conditionColumns(TC::FromNowCommission, 0, {"1", "30", "", false}) << 5
                                         << "1"
                                         << "30"
                                         << "";
    QTest::newRow("upload task of 7200 s")
        << TC::conditionColumns(TC::FromUploadCommission, 0, {"", "120", "30", false}) << 8 << ""
        << "120"
        << "30";
    QTest::newRow("download task") << TC::conditionColumns(TC::FromDownloadCommission, 2, {"", "5", "80", false}) << 9
                                   << ""
                                   << "5"
                                   << "80";
    QTest::newRow("after power-on") << TC::conditionColumns(TC::FromOnCommission, 1, {"3", "5", "", true}) << 6 << "3"
                                    << "5"
                                    << "";
    QTest::newRow("idle, run once") << TC::conditionColumns(TC::FreeCommission, 5, {"", "10", "", true}) << 10 << ""
                                    << "10"
                                    << "";
}

void TestEditor::loadingStoredTasks()
{
    QFETCH(Record, columns);
    QFETCH(int, kind);
    QFETCH(QString, hours);
    QFETCH(QString, minutes);
    QFETCH(QString, rate);
    QVERIFY(connection->insertPlan(TC::saveRecord(columns, QString(), "-1")));
    const Record stored = lastTask();
    auto editor = newEditor();
    editor->loadPlan(stored);
    QCOMPARE(editor->selectedKind(), kind);
    QVERIFY(editor->kindButton(kind)->isChecked());
    if (!hours.isEmpty())
        QCOMPARE(editor->hoursEdit(kind)->text(), hours);
    QCOMPARE(editor->minutesEdit(kind)->text(), minutes);
    if (!rate.isEmpty())
        QCOMPARE(editor->rateEdit(kind)->text(), rate);
    // Saved unchanged, the task stays what it was.
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    const Record again = lastTask();
    QCOMPARE(connection->selectPlanList().size(), 2);
    for (const QString &column : ComparedColumns)
        QCOMPARE(column + "=" + again.value(column), column + "=" + stored.value(column));
}

void TestEditor::dailyExceptionsSurviveAnUnchangedSave()
{
    TC::CalendarChoice choice;
    choice.firstRun = QDate(2026, 12, 10);
    choice.timeOfDay = 8 * 3600;
    choice.exceptSaturday = choice.exceptSunday = true;
    QVERIFY(connection->insertPlan(TC::saveRecord(TC::calendarColumns(TC::DayCommission, 0, choice), QString(), "-1")));
    auto editor = newEditor();
    editor->loadPlan(lastTask());
    QVERIFY(editor->saturdayBox()->isChecked());
    QVERIFY(editor->sundayBox()->isChecked());
    QCOMPARE(editor->timeEdit(EditWidget::DayCommission)->time(), QTime(8, 0));
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    const Record saved = lastTask();
    QCOMPARE(saved.value("repeat_except"), QString("3"));
    QCOMPARE(saved.value("repeat_detail_day"), QString("2026-12-10 08:00:00"));
    QCOMPARE(saved.value("enable_state"), QString("1"));
}

void TestEditor::cancelEmitsNothingAndConfirmEmitsOnce()
{
    auto editor = newEditor();
    QSignalSpy closed(editor.get(), &EditWidget::closeWin);
    editor->kindButton(EditWidget::FromNowCommission)->click();
    QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);
    QVERIFY(!editor->isVisible());
    QCOMPARE(closed.size(), 0);
    QCOMPARE(connection->selectPlanList().size(), 1);
}

void TestEditor::numberFieldsTakeWholeNumbersOnly_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("leaseSecond");
    const int now = EditWidget::FromNowCommission;
    QTest::newRow("1.5 hours") << now << "hours"
                               << "1.5"
                               << "15"
                               << "从现在开始15小时0分后关机"
                               << "54000";
    QTest::newRow("abc hours") << now << "hours"
                               << "abc"
                               << ""
                               << "从现在开始0小时0分后关机"
                               << "0";
    QTest::newRow("-2 hours") << now << "hours"
                              << "-2"
                              << "2"
                              << "从现在开始2小时0分后关机"
                              << "7200";
    QTest::newRow("1.5 minutes") << now << "minutes"
                                 << "1.5"
                                 << "15"
                                 << "从现在开始0小时15分后关机"
                                 << "900";
    QTest::newRow("75 minutes") << now << "minutes"
                                << "75"
                                << "7"
                                << "从现在开始0小时7分后关机"
                                << "420";
    QTest::newRow("99999 hours") << int(EditWidget::FromOnCommission) << "hours"
                                 << "99999"
                                 << "9999"
                                 << "从电脑开机开始9999小时0分后关机"
                                 << "35996400";
    QTest::newRow("25 hours of running time") << int(EditWidget::FromUntilCommission) << "hours"
                                              << "25"
                                              << "2"
                                              << "全天累计开机2小时0分后关机"
                                              << "7200";
    QTest::newRow("1.5 idle minutes") << int(EditWidget::FreeCommission) << "minutes"
                                      << "1.5"
                                      << "15"
                                      << "电脑连续空闲15分钟后执行关机"
                                      << "900";
    QTest::newRow("abc idle minutes") << int(EditWidget::FreeCommission) << "minutes"
                                      << "abc"
                                      << ""
                                      << "电脑连续空闲0分钟后执行关机"
                                      << "0";
    QTest::newRow("2,5 upload minutes") << int(EditWidget::FromUploadCommission) << "minutes"
                                        << "2,5"
                                        << "25"
                                        << "上传速度连续25分钟低于0KB/s后关机"
                                        << "1500";
    QTest::newRow("12.5 KB/s") << int(EditWidget::FromDownloadCommission) << "rate"
                               << "12.5"
                               << "125"
                               << "下载速度连续1分钟低于125KB/s后关机"
                               << "60";
    QTest::newRow("1e3 KB/s") << int(EditWidget::FromDownloadCommission) << "rate"
                              << "1e3"
                              << "13"
                              << "下载速度连续1分钟低于13KB/s后关机"
                              << "60";
}

void TestEditor::numberFieldsTakeWholeNumbersOnly()
{
    QFETCH(int, kind);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, name);
    QFETCH(QString, leaseSecond);
    auto editor = newEditor();
    QTest::mouseClick(editor->kindButton(kind), Qt::LeftButton);
    QLineEdit *edit = field == "hours" ? editor->hoursEdit(kind)
        : field == "minutes"           ? editor->minutesEdit(kind)
                                       : editor->rateEdit(kind);
    typeInto(edit, typed);
    QCOMPARE(edit->text(), shown);
    // The description says what is stored.
    QCOMPARE(editor->currentColumns().value("name"), name);
    QCOMPARE(editor->currentColumns().value("lease_second"), leaseSecond);
}

void TestEditor::everyNumberFieldRefusesPointsAndLetters_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    const QList<QPair<int, QStringList>> fields = {
        {EditWidget::FromNowCommission, {"hours", "minutes"}},
        {EditWidget::FromOnCommission, {"hours", "minutes"}},
        {EditWidget::FromUntilCommission, {"hours", "minutes"}},
        {EditWidget::FromUploadCommission, {"minutes", "rate"}},
        {EditWidget::FromDownloadCommission, {"minutes", "rate"}},
        {EditWidget::FreeCommission, {"minutes"}},
    };
    const QList<QPair<QString, QString>> inputs = {{"1.5", "15"}, {"abc", ""}, {"0", "0"}};
    for (const auto &kindFields : fields) {
        for (const QString &field : kindFields.second) {
            for (const auto &input : inputs)
                QTest::addRow("kind %d %s %s", kindFields.first, qPrintable(field), qPrintable(input.first))
                    << kindFields.first << field << input.first << input.second;
        }
    }
}

void TestEditor::everyNumberFieldRefusesPointsAndLetters()
{
    QFETCH(int, kind);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    auto editor = newEditor();
    QTest::mouseClick(editor->kindButton(kind), Qt::LeftButton);
    QLineEdit *edit = field == "hours" ? editor->hoursEdit(kind)
        : field == "minutes"           ? editor->minutesEdit(kind)
                                       : editor->rateEdit(kind);
    typeInto(edit, typed);
    QCOMPARE(edit->text(), shown);
    // Nothing typed that was refused reaches the description.
    const QString name = editor->currentColumns().value("name");
    for (const QChar character : QString(".abc"))
        QVERIFY2(!name.contains(character), qPrintable(name));
}

void TestEditor::periodOfZeroIsRefusedOnConfirm_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("countdown") << int(EditWidget::FromNowCommission)
                               << "“从现在开始”的时间不能为0,请输入大于0的小时或分钟";
    QTest::newRow("after power-on") << int(EditWidget::FromOnCommission)
                                    << "“电脑开机后”的时间不能为0,请输入大于0的小时或分钟";
    QTest::newRow("running time") << int(EditWidget::FromUntilCommission)
                                  << "“累计开机”的时间不能为0,请输入大于0的小时或分钟";
    QTest::newRow("upload") << int(EditWidget::FromUploadCommission) << "“上行速度”的分钟数不能为0,请输入大于0的分钟数";
    QTest::newRow("download") << int(EditWidget::FromDownloadCommission)
                              << "“下载速度”的分钟数不能为0,请输入大于0的分钟数";
    QTest::newRow("idle") << int(EditWidget::FreeCommission) << "“电脑空闲”的分钟数不能为0,请输入大于0的分钟数";
}

void TestEditor::periodOfZeroIsRefusedOnConfirm()
{
    QFETCH(int, kind);
    QFETCH(QString, message);
    auto editor = newEditor();
    QTest::mouseClick(editor->kindButton(kind), Qt::LeftButton);
    for (QLineEdit *edit : {editor->hoursEdit(kind), editor->minutesEdit(kind)}) {
        if (edit)
            typeInto(edit, "0");
    }
    QSignalSpy closed(editor.get(), &EditWidget::closeWin);
    ModalAnswerer answer("OK");
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    QVERIFY(answer.answered);
    QCOMPARE(answer.title, QStringLiteral("提示"));
    QCOMPARE(answer.text, message);
    QVERIFY(editor->isVisible());
    QCOMPARE(closed.size(), 0);
    QCOMPARE(connection->selectPlanList().size(), 1);

    // With a period above zero the same task is saved.
    typeInto(editor->minutesEdit(kind), "1");
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    QCOMPARE(closed.size(), 1);
    QCOMPARE(lastTask().value("lease_second"), QString("60"));
}

void TestEditor::firstRunFollowsTheTimeTyped_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("picks"); // typed into the kind's lists, in order
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("firstRun");
    // It is Monday 2026-12-07, 04:05.
    QTest::newRow("weekly, Monday, later today") << int(EditWidget::WeekCommission) << QStringList{"周一"} << "041000"
                                                 << "2026-12-07 04:10:00";
    QTest::newRow("weekly, Monday, earlier today") << int(EditWidget::WeekCommission) << QStringList{"周一"} << "040000"
                                                   << "2026-12-14 04:00:00";
    QTest::newRow("monthly, the 7th, later today") << int(EditWidget::MonthCommission) << QStringList{"7"} << "041000"
                                                   << "2026-12-07 04:10:00";
    QTest::newRow("yearly, 7 December, later today")
        << int(EditWidget::YearCommission) << QStringList{"12", "7"} << "041000"
        << "2026-12-07 04:10:00";
    QTest::newRow("yearly, 7 December, earlier today")
        << int(EditWidget::YearCommission) << QStringList{"12", "7"} << "035900"
        << "2027-12-07 03:59:00";
}

void TestEditor::firstRunFollowsTheTimeTyped()
{
    QFETCH(int, kind);
    QFETCH(QStringList, picks);
    QFETCH(QString, time);
    QFETCH(QString, firstRun);
    auto editor = std::make_unique<EditWidget>();
    editor->setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(4, 5)); });
    editor->show();
    editor->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor.get()));
    QTest::mouseClick(editor->kindButton(kind), Qt::LeftButton);
    const QList<QComboBox *> lists = kind == EditWidget::WeekCommission ? QList<QComboBox *>{editor->weekdayList()}
        : kind == EditWidget::MonthCommission                           ? QList<QComboBox *>{editor->monthDayList()}
                                              : QList<QComboBox *>{editor->yearMonthList(), editor->yearDayList()};
    for (int i = 0; i < picks.size(); ++i)
        pick(lists.at(i), picks.at(i));
    typeTime(editor->timeEdit(kind), time);
    QCOMPARE(editor->executionText(), QStringLiteral("执行时间为:") + firstRun);
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    QCOMPARE(lastTask().value("repeat_detail_day"), firstRun);
    QCOMPARE(lastTask().value("from_1970_seconds"),
             QString::number(QDateTime::fromString(firstRun, "yyyy-MM-dd HH:mm:ss").toSecsSinceEpoch()));
}

void TestEditor::yearlyDaysAreThoseOfTheMonth()
{
    auto editor = newEditor();
    QTest::mouseClick(editor->kindButton(EditWidget::YearCommission), Qt::LeftButton);
    QComboBox *days = editor->yearDayList();
    QCOMPARE(days->count(), 31);
    pick(days, "31");
    QCOMPARE(days->currentText(), QStringLiteral("31日"));
    pick(editor->yearMonthList(), "2");
    // February may have 29 days, never 30 or 31: the chosen 31st becomes the 29th.
    QCOMPARE(days->count(), 29);
    QCOMPARE(days->currentText(), QStringLiteral("29日"));
    QCOMPARE(editor->currentColumns().value("repeat_bigger_unit"), QString("2_29"));
    pick(editor->yearMonthList(), "4");
    QCOMPARE(days->count(), 30);
    QCOMPARE(days->itemText(29), QStringLiteral("30日"));
}

void TestEditor::failedSaveSaysSoAndKeepsTheEditorOpen()
{
    // The file refuses every new task, as a full disk or a locked file would.
    QSqlQuery refuse(QSqlDatabase::database());
    QVERIFY(
        refuse.exec("create trigger refuse_tasks before insert on plan_t begin select raise(abort, 'disk full'); end"));
    auto editor = newEditor();
    QTest::mouseClick(editor->kindButton(EditWidget::FreeCommission), Qt::LeftButton);
    QSignalSpy closed(editor.get(), &EditWidget::closeWin);
    ModalAnswerer answer("OK");
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    QVERIFY(answer.answered);
    QCOMPARE(answer.title, QStringLiteral("提示"));
    QVERIFY2(answer.text.startsWith(QStringLiteral("任务未能保存。")), qPrintable(answer.text));
    QVERIFY2(answer.text.contains(QDir::toNativeSeparators(scratch->filePath("database.db"))), qPrintable(answer.text));
    QVERIFY2(answer.text.contains("disk full"), qPrintable(answer.text));
    QVERIFY(editor->isVisible());
    QCOMPARE(closed.size(), 0);
    QCOMPARE(connection->selectPlanList().size(), 1);
}

void TestEditor::addressWindowOpensOverTheEditor()
{
    auto editor = newEditor();
    editor->move(120, 40);
    pick(editor->actionList(), "打开网址");
    QPointer<TAVInputWidget> window = editor->addressWindow();
    QVERIFY(window);
    QCOMPARE(window->frameGeometry().center(), editor->frameGeometry().center());
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
