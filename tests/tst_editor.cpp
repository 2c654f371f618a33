#include "ModalAnswerer.h"
#include "ScratchDatabase.h"
#include "VisibleWindow.h"
#include "schedule/TaskComposer.h"
#include "tasks_ui/EditWidget.h"
#include "widgets/TAVInputWidget.h"
#include "widgets/TAVRadioButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

using Record = Connection::Record;
using TC = TaskComposer;

namespace {
const QDateTime Now(QDate(2026, 12, 9), QTime(10, 0, 0));
// What a save writes besides the name, in this order.
const QStringList SavedColumns = QStringLiteral("order_t timer_mode repeat_mode lease_second "
                                                "repeat_time_day_month_year_in_second repeat_bigger_unit repeat_except "
                                                "condition_speed enable_state repeat_detail_day")
                                     .split(' ');
// What an unchanged save must keep.
const QStringList ComparedColumns = SavedColumns
    + QStringLiteral("name from_1970_seconds eng_name order_command").split(' ');

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// An input of the editor, found by its name (and kind) as a test of the user's view would find it.
template<typename T>
T *named(const QWidget *editor, const QString &name, int kind = -1)
{
    T *found = editor->findChild<T *>(kind < 0 ? name : name + QString::number(kind));
    if (!found)
        qFatal("The editor has no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

// A period typed into a field of a condition kind, and the task it makes.
struct Period
{
    int kind;
    QString message, field, typed, shown, name;
    int leaseSecond;
};

QStringList valuesOf(const Connection::Record &record, const QStringList &columns)
{
    QStringList values;
    for (const QString &column : columns)
        values << record.value(column);
    return values;
}

// Gives the editor's inputs, "name=value" apart by spaces, their values: typed into text fields, set otherwise.
void setInputs(QWidget *editor, const QString &inputs)
{
    for (const QString &input : inputs.split(' ')) {
        auto *widget = named<QWidget>(editor, input.section('=', 0, 0));
        if (auto *field = qobject_cast<QLineEdit *>(widget))
            typeInto(field, input.section('=', 1));
        else
            QVERIFY(widget->metaObject()->userProperty().write(widget, input.section('=', 1)));
    }
}

} // namespace

Q_DECLARE_METATYPE(Period)

class TestEditor : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        store.emplace();
        QVERIFY(store->ready);
    }

    void refusalsAndCancelSaveNothing()
    {
        auto editor = newEditor();
        auto *onlyOnce = named<QCheckBox>(editor.get(), "onlyOnce");
        auto enabledKinds = [&editor] {
            QSet<int> kinds;
            for (QWidget *input : editor->findChildren<QWidget *>())
                if (input->property("kind").isValid() && input->isEnabled())
                    kinds << input->property("kind").toInt();
            return kinds;
        };
        QCOMPARE(enabledKinds(), QSet<int>());
        QVERIFY(!onlyOnce->isEnabled());
        QCOMPARE(refusedConfirm(editor.get()), QStringLiteral("请选择任务执行条件"));
        editor->kindButton(EditWidget::FromOnCommission)->click();
        QCOMPARE(enabledKinds(), QSet<int>{EditWidget::FromOnCommission});
        QVERIFY(onlyOnce->isEnabled());
        editor->kindButton(EditWidget::FromNowCommission)->click();
        QCOMPARE(enabledKinds(), QSet<int>{EditWidget::FromNowCommission});
        QVERIFY(!onlyOnce->isEnabled());
        QSignalSpy closed(editor.get(), &EditWidget::closeWin);
        QTest::mouseClick(named<QPushButton>(editor.get(), "cancel"), Qt::LeftButton);
        QVERIFY(!editor->isVisible() && closed.isEmpty());
        QCOMPARE(store->connection.selectPlanList().size(), 1);

        // The file refuses every new task, as a full disk or a locked file would.
        QSqlQuery refuse(QSqlDatabase::database());
        QVERIFY(refuse.exec("create trigger refuse_tasks before insert on plan_t "
                            "begin select raise(abort, 'disk full'); end"));
        editor = newEditor();
        QTest::mouseClick(editor->kindButton(EditWidget::FreeCommission), Qt::LeftButton);
        const QString text = refusedConfirm(editor.get());
        QVERIFY2(text.startsWith(QStringLiteral("任务未能保存。")) && text.contains("disk full")
                     && text.contains(QDir::toNativeSeparators(store->directory.filePath("database.db"))),
                 qPrintable(text));
    }

    void eachKindSavesItsRow_data()
    {
        // It is Wednesday 2026-12-09, 10:00; the time is 22:15:30 (22:15 for a once task, whose time has no seconds).
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("columns"); // as SavedColumns names them, the first run last
        const auto row = [](const char *name, int kind, const char *inputs, const char *task, const char *columns) {
            QTest::newRow(name) << kind << QString(inputs) << QString(task) << QString(columns);
        };
        row("once, 2 January", EditWidget::OnceCommission, "onceDate=2027-01-02", "2027-01-02 22:15:00重启",
            "1 0 0 80100 80100 0 4 -1 1 2027-01-02 22:15:00");
        row("daily but Saturdays", EditWidget::DayCommission, "exceptSaturday=1", "每天22:15:30 注销当前用户",
            "2 0 1 80130 80130 0_0 1 -1 1 2026-12-09 22:15:30");
        row("weekly, Sundays", EditWidget::WeekCommission, "weekdayList=周日", "每周日 22:15:30 睡眠",
            "4 0 2 80130 80130 7 4 -1 1 2026-12-13 22:15:30");
        row("monthly, the 31st", EditWidget::MonthCommission, "monthDayList=31日", "每月31号22:15:30 系统锁定",
            "3 0 3 80130 80130 31 4 -1 1 2026-12-31 22:15:30");
        // February may have 29 days, never 30 or 31: a 31st chosen before becomes the 29th.
        row("yearly, 31 February", EditWidget::YearCommission, "yearDayList=31日 yearMonthList=2月",
            "每年2月29号 22:15:30 待机", "6 0 4 80130 80130 2_29 4 -1 1 2027-02-28 22:15:30");
        row("countdown", EditWidget::FromNowCommission, "hours5=02 minutes5=15", "从现在开始02小时15分后关机",
            "0 1 0 8100 -1 0 4 -1 1 ");
        row("download below a rate", EditWidget::FromDownloadCommission, "rate9=64 minutes9=15",
            "下载速度连续15分钟低于64KB/s后关闭显示器", "5 4 5 900 -1 0 4 64 1 ");
    }

    void eachKindSavesItsRow()
    {
        QFETCH(int, kind);
        QFETCH(QString, inputs);
        QFETCH(QString, name);
        QFETCH(QString, columns);
        auto editor = newEditor();
        QWidget *e = editor.get();
        named<QComboBox>(e, "actionList")->setCurrentIndex(columns.section(' ', 0, 0).toInt());
        editor->kindButton(kind)->click();
        if (kind <= EditWidget::YearCommission)
            named<QDateTimeEdit>(e, "time", kind)->setTime(QTime(22, 15, kind == 0 ? 0 : 30));
        setInputs(e, inputs);
        QCOMPARE(named<QComboBox>(e, "yearDayList")->count(), kind == EditWidget::YearCommission ? 29 : 31);
        const QString firstRun = columns.section(' ', 9);
        QCOMPARE(named<QLabel>(e, "executionLine")->text(),
                 firstRun.isEmpty() ? QString() : QStringLiteral("执行时间为:") + firstRun);
        QSignalSpy closed(editor.get(), &EditWidget::closeWin);
        QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
        QVERIFY(closed.size() == 1 && !editor->isVisible());
        const Record stored = lastTask();
        QCOMPARE(stored.value("name"), name);
        QCOMPARE(valuesOf(stored, QStringList{"id", "app_position_t"} + SavedColumns).join(' '), "1 -1 " + columns);
        const QDateTime first = QDateTime::fromString(firstRun, "yyyy-MM-dd HH:mm:ss");
        QCOMPARE(stored.value("from_1970_seconds"), first.isValid() ? QString::number(first.toSecsSinceEpoch()) : "0");
    }

    void operandsAreSavedForNewTasksOnly()
    {
        // A program chosen and abandoned for a shutdown is not saved.
        auto editor = newEditor();
        auto *actions = named<QComboBox>(editor.get(), "actionList");
        actions->setCurrentIndex(7);
        actions->setCurrentIndex(0);
        editor->kindButton(EditWidget::FromNowCommission)->click();
        typeInto(named<QLineEdit>(editor.get(), "minutes", EditWidget::FromNowCommission), "1");
        QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
        QCOMPARE(valuesOf(lastTask(), {"app_position_t", "order_t"}), QStringList({"-1", "0"}));
        QVERIFY(store->connection.selectAppPosition({}).isEmpty());

        editor = newEditor();
        editor->move(120, 40);
        named<QComboBox>(editor.get(), "actionList")->setCurrentIndex(8); // 打开网址
        QPointer<TAVInputWidget> window = visibleWindow<TAVInputWidget>();
        QVERIFY(window);
        QCOMPARE(window->windowModality(), Qt::ApplicationModal);
        QCOMPARE(window->frameGeometry().center(), editor->frameGeometry().center());
        QTest::keyClicks(window->findChild<QLineEdit *>("input"), "example.org/help");
        QTest::mouseClick(window->confirmButton(), Qt::LeftButton);
        editor->kindButton(EditWidget::FromNowCommission)->click();
        typeInto(named<QLineEdit>(editor.get(), "minutes", EditWidget::FromNowCommission), "1");
        QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
        const Record stored = lastTask();
        QCOMPARE(
            store->connection.selectAppPosition({{"id", stored.value("app_position_t")}}).value(0).value("position"),
            QString("example.org/help"));

        auto loading = newEditor();
        loading->loadPlan(stored);
        QVERIFY(!visibleWindow<TAVInputWidget>());
        QCOMPARE(named<QComboBox>(loading.get(), "actionList")->currentIndex(), 8);
    }

    void loadedTasksSurviveAnUnchangedSave_data()
    {
        QTest::addColumn<Record>("columns");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("fields"); // hours, minutes, rate as typed and as shown; empty for none
        QTest::newRow("daily but weekends")
            << TC::calendarColumns(TC::DayCommission, 0, {QDate(2026, 12, 10), 8 * 3600, 1, 1, 1, 1, true, true}) << 1
            << QStringList{"", "", ""};
        const auto row = [](const char *name, TC::CommissionType kind, int orderId, const QStringList &typed,
                            bool once) {
            QTest::newRow(name) << TC::conditionColumns(kind, orderId, {typed.at(0), typed.at(1), typed.at(2), once})
                                << int(kind) << typed;
        };
        row("countdown of 5400 s", TC::FromNowCommission, 0, {"1", "30", ""}, false);
        row("upload task of 7200 s", TC::FromUploadCommission, 0, {"", "120", "30"}, false);
        row("download task", TC::FromDownloadCommission, 2, {"", "5", "80"}, false);
        row("after power-on", TC::FromOnCommission, 1, {"3", "5", ""}, true);
        row("idle, run once", TC::FreeCommission, 5, {"", "10", ""}, true);
    }

    void loadedTasksSurviveAnUnchangedSave()
    {
        QFETCH(Record, columns);
        QFETCH(int, kind);
        QFETCH(QStringList, fields);
        QVERIFY(store->connection.insertPlan(TC::saveRecord(columns, QString(), "-1")));
        const Record stored = lastTask();
        auto editor = newEditor();
        editor->loadPlan(stored);
        QVERIFY(editor->kindButton(kind)->isChecked());
        QStringList shown;
        for (const char *field : {"hours", "minutes", "rate"}) {
            const auto *edit = editor->findChild<QLineEdit *>(field + QString::number(kind));
            shown << (edit ? edit->text() : QString());
        }
        QCOMPARE(shown, fields);
        QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
        QCOMPARE(store->connection.selectPlanList().size(), 2);
        QCOMPARE(valuesOf(lastTask(), ComparedColumns), valuesOf(stored, ComparedColumns));
    }

    void periodsAreWholeNumbersAboveZero_data()
    {
        // Per condition kind: its refusal of a zero period, a field as typed and shown (after 1 minute), the task
        // saved.
        QTest::addColumn<Period>("c");
        const auto row = [](const char *name, int kind, const char *message, const char *field, const char *typed,
                            const char *shown, const char *task, int leaseSecond) {
            QTest::newRow(name) << Period{kind, message, field, typed, shown, task, leaseSecond};
        };
        row("countdown, 75 minutes", EditWidget::FromNowCommission, "“从现在开始”的时间不能为0,请输入大于0的小时或分钟",
            "minutes", "75", "7", "从现在开始0小时7分后关机", 420);
        row("after power-on, 99999 hours", EditWidget::FromOnCommission,
            "“电脑开机后”的时间不能为0,请输入大于0的小时或分钟", "hours", "99999", "9999",
            "从电脑开机开始9999小时1分后关机", 35996460);
        row("running time, 25 hours of a day", EditWidget::FromUntilCommission,
            "“累计开机”的时间不能为0,请输入大于0的小时或分钟", "hours", "25", "2", "全天累计开机2小时1分后关机", 7260);
        row("upload, 12.5 KB/s", EditWidget::FromUploadCommission, "“上行速度”的分钟数不能为0,请输入大于0的分钟数",
            "rate", "12.5", "125", "上传速度连续1分钟低于125KB/s后关机", 60);
        row("download, +3 minutes", EditWidget::FromDownloadCommission, "“下载速度”的分钟数不能为0,请输入大于0的分钟数",
            "minutes", "+3", "3", "下载速度连续3分钟低于0KB/s后关机", 180);
        row("idle, 1.5 minutes", EditWidget::FreeCommission, "“电脑空闲”的分钟数不能为0,请输入大于0的分钟数", "minutes",
            "1.5", "15", "电脑连续空闲15分钟后执行关机", 900);
    }

    void periodsAreWholeNumbersAboveZero()
    {
        QFETCH(Period, c);
        auto editor = newEditor();
        QTest::mouseClick(editor->kindButton(c.kind), Qt::LeftButton);
        for (const char *zeroed : {"hours", "minutes"})
            if (auto *edit = editor->findChild<QLineEdit *>(zeroed + QString::number(c.kind)))
                typeInto(edit, "0");
        QCOMPARE(refusedConfirm(editor.get()), c.message);
        typeInto(named<QLineEdit>(editor.get(), "minutes", c.kind), "1");
        auto *edit = named<QLineEdit>(editor.get(), c.field, c.kind);
        typeInto(edit, c.typed);
        QCOMPARE(edit->text(), c.shown);
        // Only an idle task is left to run once; the box turned off again has the others repeat.
        auto *onlyOnce = named<QCheckBox>(editor.get(), "onlyOnce");
        onlyOnce->setChecked(true);
        onlyOnce->setChecked(c.kind == EditWidget::FreeCommission);
        const ModalAnswerer refusal("OK"); // a box would keep the editor open
        QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
        QVERIFY(!editor->isVisible());
        // The description in the list says what is stored; a countdown runs once whatever the box says.
        const bool once = c.kind == EditWidget::FromNowCommission || c.kind == EditWidget::FreeCommission;
        QCOMPARE(valuesOf(lastTask(), {"name", "lease_second", "repeat_mode"}),
                 QStringList({c.name, QString::number(c.leaseSecond), once ? "0" : "5"}));
    }

private:
    std::unique_ptr<EditWidget> newEditor()
    {
        auto editor = std::make_unique<EditWidget>();
        editor->setClock([] { return Now; });
        editor->setFileChooser([](QWidget *, int) { return QStringLiteral("/usr/bin/xterm"); });
        editor->show();
        return editor;
    }

    // Confirms, expecting a box that refuses: its text, the editor still open and nothing saved.
    QString refusedConfirm(EditWidget *editor)
    {
        QSignalSpy closed(editor, &EditWidget::closeWin);
        ModalAnswerer answer("OK");
        QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
        if (!answer.answered || answer.title != QStringLiteral("提示") || !editor->isVisible() || !closed.isEmpty()
            || store->connection.selectPlanList().size() != 1)
            return QStringLiteral("<not refused>");
        return answer.text;
    }

    Record lastTask() { return store->connection.selectPlanList().last(); }

    std::optional<ScratchDatabase> store;
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
