#include "ModalAnswerer.h"
#include "ScratchDirectory.h"
#include "VisibleWindow.h"
#include "schedule/TaskComposer.h"
#include "tasks_ui/EditWidget.h"
#include "widgets/TAVInputWidget.h"
#include "widgets/TAVRadioButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QLabel>
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
// What a save writes besides the name, in this order.
const QStringList SavedColumns = {
    "timer_mode",         "repeat_mode",   "lease_second",    "repeat_time_day_month_year_in_second",
    "repeat_bigger_unit", "repeat_except", "condition_speed", "enable_state",
    "repeat_detail_day"};
// What an unchanged save must keep.
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

// An input of the editor, found by its name as a test of the user's view would find it.
template<typename T>
T *named(const QWidget *editor, const QString &name)
{
    T *found = editor->findChild<T *>(name);
    if (!found)
        qFatal("The editor has no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

template<typename T>
T *named(const QWidget *editor, const char *name, int kind)
{
    return named<T>(editor, QString::fromLatin1(name) + QString::number(kind));
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
    void eachKindSavesItsRow_data();
    void eachKindSavesItsRow();
    void onlyOnceBoxDecidesTheRepeat();
    void operandAbandonedForShutdownIsNotSaved();
    void addressWindowOpensForNewTasksOnly();
    void loadingStoredTasks_data();
    void loadingStoredTasks();
    void dailyExceptionsSurviveAnUnchangedSave();
    void cancelEmitsNothingAndConfirmEmitsOnce();
    void numberFieldsTakeWholeNumbersOnly_data();
    void numberFieldsTakeWholeNumbersOnly();
    void periodOfZeroIsRefusedOnConfirm_data();
    void periodOfZeroIsRefusedOnConfirm();
    void firstRunFollowsTheTimeTyped_data();
    void firstRunFollowsTheTimeTyped();
    void yearlyDaysAreThoseOfTheMonth();
    void failedSaveSaysSoAndKeepsTheEditorOpen();

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
    auto *onlyOnce = named<QCheckBox>(editor.get(), "onlyOnce");
    auto enabledKinds = [&editor] {
        QSet<int> kinds;
        for (QWidget *input : editor->findChildren<QWidget *>()) {
            if (input->property("kind").isValid() && input->isEnabled())
                kinds << input->property("kind").toInt();
        }
        return kinds;
    };
    QCOMPARE(enabledKinds(), QSet<int>());
    QVERIFY(!onlyOnce->isEnabled());
    editor->kindButton(EditWidget::FromOnCommission)->click();
    QCOMPARE(enabledKinds(), QSet<int>{EditWidget::FromOnCommission});
    QVERIFY(onlyOnce->isEnabled());
    editor->kindButton(EditWidget::FromNowCommission)->click();
    QCOMPARE(enabledKinds(), QSet<int>{EditWidget::FromNowCommission});
    QVERIFY(!onlyOnce->isEnabled());
}

void TestEditor::eachKindSavesItsRow_data()
{
    // It is Wednesday 2026-12-09, 10:00; the action is "系统锁定" and the time 22:15:30 (22:15
    // for a once task, whose time has no seconds).
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("columns"); // as SavedColumns names them
    QTest::newRow("once, 2 January") << int(EditWidget::OnceCommission) << "2027-01-02 22:15:00系统锁定"
                                     << QStringList{
                                            "0", "0", "80100", "80100", "0", "4", "-1", "1", "2027-01-02 22:15:00"};
    QTest::newRow("daily but Saturdays") << int(EditWidget::DayCommission) << "每天22:15:30 系统锁定"
                                         << QStringList{"0",     "1",   "80130",
                                                        "80130", "0_0", "1",
                                                        "-1",    "1",   "2026-12-09 22:15:30"};
    QTest::newRow("monthly, the 31st") << int(EditWidget::MonthCommission) << "每月31号22:15:30 系统锁定"
                                       << QStringList{
                                              "0", "3", "80130", "80130", "31", "4", "-1", "1", "2026-12-31 22:15:30"};
    QTest::newRow("yearly, 29 February") << int(EditWidget::YearCommission) << "每年2月29号 22:15:30 系统锁定"
                                         << QStringList{"0",     "4",    "80130",
                                                        "80130", "2_29", "4",
                                                        "-1",    "1",    "2027-02-28 22:15:30"};
    QTest::newRow("countdown") << int(EditWidget::FromNowCommission) << "从现在开始02小时15分后系统锁定"
                               << QStringList{"1", "0", "8100", "-1", "0", "4", "-1", "1", ""};
    QTest::newRow("download below a rate")
        << int(EditWidget::FromDownloadCommission) << "下载速度连续15分钟低于64KB/s后系统锁定"
        << QStringList{"4", "5", "900", "-1", "0", "4", "64", "1", ""};
}

void TestEditor::eachKindSavesItsRow()
{
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(QStringList, columns);
    auto editor = newEditor();
    named<QComboBox>(editor.get(), "actionList")->setCurrentIndex(3);
    editor->kindButton(kind)->click();
    if (kind <= EditWidget::YearCommission)
        named<QDateTimeEdit>(editor.get(), "time", kind)->setTime(QTime(22, 15, kind == 0 ? 0 : 30));
    switch (kind) {
    case EditWidget::OnceCommission:
        named<QDateEdit>(editor.get(), "onceDate")->setDate(QDate(2027, 1, 2));
        break;
    case EditWidget::DayCommission:
        named<QCheckBox>(editor.get(), "exceptSaturday")->setChecked(true);
        break;
    case EditWidget::MonthCommission:
        named<QComboBox>(editor.get(), "monthDayList")->setCurrentIndex(30);
        break;
    case EditWidget::YearCommission:
        named<QComboBox>(editor.get(), "yearMonthList")->setCurrentIndex(1);
        named<QComboBox>(editor.get(), "yearDayList")->setCurrentIndex(28);
        break;
    case EditWidget::FromNowCommission:
        typeInto(editor->hoursEdit(kind), "02");
        typeInto(editor->minutesEdit(kind), "15");
        break;
    default:
        typeInto(editor->minutesEdit(kind), "15");
        typeInto(named<QLineEdit>(editor.get(), "rate", kind), "64");
        break;
    }
    const QString firstRun = columns.last();
    QCOMPARE(named<QLabel>(editor.get(), "executionLine")->text(),
             firstRun.isEmpty() ? QString() : QStringLiteral("执行时间为:") + firstRun);
    QSignalSpy closed(editor.get(), &EditWidget::closeWin);
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    QCOMPARE(closed.size(), 1);
    QVERIFY(!editor->isVisible());
    const Record stored = lastTask();
    QStringList saved;
    for (const QString &column : SavedColumns)
        saved << stored.value(column);
    QCOMPARE(stored.value("name"), name);
    QCOMPARE(saved, columns);
    QCOMPARE(stored.value("id") + " " + stored.value("order_t") + " " + stored.value("app_position_t"),
             QString("1 3 -1"));
    const qint64 moment = QDateTime::fromString(firstRun, "yyyy-MM-dd HH:mm:ss").toSecsSinceEpoch();
    QCOMPARE(stored.value("from_1970_seconds"), QString::number(firstRun.isEmpty() ? 0 : moment));
}

void TestEditor::onlyOnceBoxDecidesTheRepeat()
{
    for (bool ticked : {true, false}) {
        auto editor = newEditor();
        editor->kindButton(EditWidget::FreeCommission)->click();
        auto *onlyOnce = named<QCheckBox>(editor.get(), "onlyOnce");
        onlyOnce->setChecked(true);
        if (!ticked)
            onlyOnce->setChecked(false);
        QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
        QCOMPARE(lastTask().value("repeat_mode"), QString(ticked ? "0" : "5"));
    }
}

void TestEditor::operandAbandonedForShutdownIsNotSaved()
{
    auto editor = newEditor();
    auto *actions = named<QComboBox>(editor.get(), "actionList");
    actions->setCurrentIndex(7);
    actions->setCurrentIndex(0);
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
    editor->move(120, 40);
    pick(named<QComboBox>(editor.get(), "actionList"), "打开网址");
    QPointer<TAVInputWidget> window = visibleWindow<TAVInputWidget>();
    QVERIFY(window);
    QCOMPARE(window->windowModality(), Qt::ApplicationModal);
    // Over the middle of the editor.
    QCOMPARE(window->frameGeometry().center(), editor->frameGeometry().center());
    QTest::keyClicks(window->findChild<QLineEdit *>("input"), "example.org/help");
    QTest::mouseClick(window->confirmButton(), Qt::LeftButton);
    editor->kindButton(EditWidget::FromNowCommission)->click();
    typeInto(editor->minutesEdit(EditWidget::FromNowCommission), "1");
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    const Record stored = lastTask();
    QCOMPARE(connection->selectAppPosition({{"id", stored.value("app_position_t")}}).value(0).value("position"),
             QString("example.org/help"));

    auto loading = newEditor();
    loading->loadPlan(stored);
    QVERIFY(!visibleWindow<TAVInputWidget>());
    QCOMPARE(named<QComboBox>(loading.get(), "actionList")->currentIndex(), 8);
}

void TestEditor::loadingStoredTasks_data()
{
    QTest::addColumn<Record>("columns");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("fields"); // hours, minutes and rate as shown; empty where the kind has none
    QTest::newRow("countdown of 5400 s") << TC::conditionColumns(TC::FromNowCommission, 0, {"1", "30", "", false}) << 5
                                         << QStringList{"1", "30", ""};
    QTest::newRow("upload task of 7200 s")
        << TC::conditionColumns(TC::FromUploadCommission, 0, {"", "120", "30", false}) << 8
        << QStringList{"", "120", "30"};
    QTest::newRow("download task") << TC::conditionColumns(TC::FromDownloadCommission, 2, {"", "5", "80", false}) << 9
                                   << QStringList{"", "5", "80"};
    QTest::newRow("after power-on") << TC::conditionColumns(TC::FromOnCommission, 1, {"3", "5", "", true}) << 6
                                    << QStringList{"3", "5", ""};
    QTest::newRow("idle, run once") << TC::conditionColumns(TC::FreeCommission, 5, {"", "10", "", true}) << 10
                                    << QStringList{"", "10", ""};
}

void TestEditor::loadingStoredTasks()
{
    QFETCH(Record, columns);
    QFETCH(int, kind);
    QFETCH(QStringList, fields);
    QVERIFY(connection->insertPlan(TC::saveRecord(columns, QString(), "-1")));
    const Record stored = lastTask();
    auto editor = newEditor();
    editor->loadPlan(stored);
    QCOMPARE(editor->selectedKind(), kind);
    QVERIFY(editor->kindButton(kind)->isChecked());
    QStringList shown;
    for (const char *field : {"hours", "minutes", "rate"}) {
        const auto *edit = editor->findChild<QLineEdit *>(field + QString::number(kind));
        shown << (edit ? edit->text() : QString());
    }
    QCOMPARE(shown, fields);
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
    QVERIFY(named<QCheckBox>(editor.get(), "exceptSaturday")->isChecked());
    QVERIFY(named<QCheckBox>(editor.get(), "exceptSunday")->isChecked());
    QCOMPARE(named<QDateTimeEdit>(editor.get(), "time", EditWidget::DayCommission)->time(), QTime(8, 0));
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
    QTest::mouseClick(named<QPushButton>(editor.get(), "cancel"), Qt::LeftButton);
    QVERIFY(!editor->isVisible());
    QCOMPARE(closed.size(), 0);
    QCOMPARE(connection->selectPlanList().size(), 1);
}

void TestEditor::numberFieldsTakeWholeNumbersOnly_data()
{
    // Every number field of every kind: what is typed, what it shows, and the task it saves.
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("typedShown");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("leaseSecond");
    const int now = EditWidget::FromNowCommission, on = EditWidget::FromOnCommission,
              until = EditWidget::FromUntilCommission, up = EditWidget::FromUploadCommission,
              down = EditWidget::FromDownloadCommission, idle = EditWidget::FreeCommission;
    QTest::newRow("1.5 hours") << now << "hours" << QStringList{"1.5", "15"} << "从现在开始15小时0分后关机" << 54000;
    QTest::newRow("75 minutes") << now << "minutes" << QStringList{"75", "7"} << "从现在开始0小时7分后关机" << 420;
    QTest::newRow("99999 hours") << on << "hours" << QStringList{"99999", "9999"} << "从电脑开机开始9999小时0分后关机"
                                 << 35996400;
    QTest::newRow("-15 minutes") << on << "minutes" << QStringList{"-15", "15"} << "从电脑开机开始0小时15分后关机"
                                 << 900;
    QTest::newRow("25 hours of a day") << until << "hours" << QStringList{"25", "2"} << "全天累计开机2小时0分后关机"
                                       << 7200;
    QTest::newRow("2,5 minutes") << until << "minutes" << QStringList{"2,5", "25"} << "全天累计开机0小时25分后关机"
                                 << 1500;
    QTest::newRow("2,5 upload minutes") << up << "minutes" << QStringList{"2,5", "25"}
                                        << "上传速度连续25分钟低于0KB/s后关机" << 1500;
    QTest::newRow("12.5 KB/s up") << up << "rate" << QStringList{"12.5", "125"} << "上传速度连续1分钟低于125KB/s后关机"
                                  << 60;
    QTest::newRow("+3 download minutes") << down << "minutes" << QStringList{"+3", "3"}
                                         << "下载速度连续3分钟低于0KB/s后关机" << 180;
    QTest::newRow("1e3 KB/s down") << down << "rate" << QStringList{"1e3", "13"} << "下载速度连续1分钟低于13KB/s后关机"
                                   << 60;
    QTest::newRow("1.5 idle minutes") << idle << "minutes" << QStringList{"1.5", "15"} << "电脑连续空闲15分钟后执行关机"
                                      << 900;
}

void TestEditor::numberFieldsTakeWholeNumbersOnly()
{
    QFETCH(int, kind);
    QFETCH(QString, field);
    QFETCH(QStringList, typedShown);
    QFETCH(QString, name);
    QFETCH(int, leaseSecond);
    auto editor = newEditor();
    QTest::mouseClick(editor->kindButton(kind), Qt::LeftButton);
    auto *edit = named<QLineEdit>(editor.get(), qPrintable(field), kind);
    typeInto(edit, typedShown.first());
    QCOMPARE(edit->text(), typedShown.last());
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    // The description in the list says what is stored.
    QCOMPARE(lastTask().value("name"), name);
    QCOMPARE(lastTask().value("lease_second"), QString::number(leaseSecond));
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
    QTest::addColumn<QStringList>("picks");           // typed into the kind's lists, in order
    QTest::addColumn<QStringList>("timeAndFirstRun"); // the digits typed, the first run
    // It is Monday 2026-12-07, 04:05.
    QTest::newRow("weekly, Monday, later today")
        << int(EditWidget::WeekCommission) << QStringList{"周一"} << QStringList{"041000", "2026-12-07 04:10:00"};
    QTest::newRow("weekly, Monday, earlier today")
        << int(EditWidget::WeekCommission) << QStringList{"周一"} << QStringList{"040000", "2026-12-14 04:00:00"};
    QTest::newRow("monthly, the 7th, later today")
        << int(EditWidget::MonthCommission) << QStringList{"7"} << QStringList{"041000", "2026-12-07 04:10:00"};
    QTest::newRow("yearly, 7 December, later today")
        << int(EditWidget::YearCommission) << QStringList{"12", "7"} << QStringList{"041000", "2026-12-07 04:10:00"};
    QTest::newRow("yearly, 7 December, earlier today")
        << int(EditWidget::YearCommission) << QStringList{"12", "7"} << QStringList{"035900", "2027-12-07 03:59:00"};
}

void TestEditor::firstRunFollowsTheTimeTyped()
{
    QFETCH(int, kind);
    QFETCH(QStringList, picks);
    QFETCH(QStringList, timeAndFirstRun);
    const QString firstRun = timeAndFirstRun.last();
    auto editor = std::make_unique<EditWidget>();
    editor->setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(4, 5)); });
    editor->show();
    editor->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor.get()));
    QTest::mouseClick(editor->kindButton(kind), Qt::LeftButton);
    const QStringList lists = kind == EditWidget::WeekCommission ? QStringList{"weekdayList"}
        : kind == EditWidget::MonthCommission                    ? QStringList{"monthDayList"}
                                                                 : QStringList{"yearMonthList", "yearDayList"};
    for (int i = 0; i < picks.size(); ++i)
        pick(named<QComboBox>(editor.get(), lists.at(i)), picks.at(i));
    typeTime(named<QDateTimeEdit>(editor.get(), "time", kind), timeAndFirstRun.first());
    QCOMPARE(named<QLabel>(editor.get(), "executionLine")->text(), QStringLiteral("执行时间为:") + firstRun);
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    QCOMPARE(lastTask().value("repeat_detail_day"), firstRun);
    QCOMPARE(lastTask().value("from_1970_seconds"),
             QString::number(QDateTime::fromString(firstRun, "yyyy-MM-dd HH:mm:ss").toSecsSinceEpoch()));
}

void TestEditor::yearlyDaysAreThoseOfTheMonth()
{
    auto editor = newEditor();
    QTest::mouseClick(editor->kindButton(EditWidget::YearCommission), Qt::LeftButton);
    auto *days = named<QComboBox>(editor.get(), "yearDayList");
    auto *months = named<QComboBox>(editor.get(), "yearMonthList");
    QCOMPARE(days->count(), 31);
    pick(days, "31");
    QCOMPARE(days->currentText(), QStringLiteral("31日"));
    pick(months, "4");
    QCOMPARE(days->count(), 30);
    QCOMPARE(days->itemText(29), QStringLiteral("30日"));
    pick(months, "2");
    // February may have 29 days, never 30 or 31: the chosen day becomes the 29th.
    QCOMPARE(days->count(), 29);
    QCOMPARE(days->currentText(), QStringLiteral("29日"));
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    QCOMPARE(lastTask().value("repeat_bigger_unit"), QString("2_29"));
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

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
