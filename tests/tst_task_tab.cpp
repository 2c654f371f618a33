#include "FakeActionServices.h"
#include "FakeInputSource.h"
#include "ModalAnswerer.h"
#include "ScratchDirectory.h"
#include "monitors/TAVMouseNKeyboardHook.h"
#include "schedule/TaskComposer.h"
#include "schedule/TaskScheduler.h"
#include "tasks_ui/ComputerManageWidget.h"
#include "tasks_ui/EditWidget.h"
#include "tasks_ui/ShowingWidget.h"
#include "tasks_ui/SliderWidget.h"
#include "tasks_ui/TableCellView.h"
#include "widgets/FittedLabel.h"
#include "widgets/TAVMenu.h"
#include "widgets/TAVPushButton.h"
#include "widgets/TAVRadioButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QtTest>

#include <memory>

using Record = Connection::Record;
using TC = TaskComposer;

namespace {
QLabel *findLabel(QWidget *widget, const QString &text)
{
    for (QLabel *label : widget->findChildren<QLabel *>())
        if (label->text() == text)
            return label;
    return nullptr;
}

// The tool tip a pause of the mouse over `widget` shows; empty for none.
QString toolTipOf(QWidget *widget)
{
    QToolTip::hideText();
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000))
        return QStringLiteral("<an earlier tool tip stayed>");
    const QPoint inside(4, widget->height() / 2);
    QHelpEvent help(QEvent::ToolTip, inside, widget->mapToGlobal(inside));
    QApplication::sendEvent(widget, &help);
    return QToolTip::isVisible() ? QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText() : QString();
}

} // namespace

class TestTaskTab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The tab runs its actions through fakes; nothing here may reach a real power manager.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tickvale-test-bus");
        TAVMouseNKeyboardHook::setSourceFactory([] { return std::make_unique<FakeInputSource>(); });
    }

    void init()
    {
        scratch = std::make_unique<ScratchDirectory>();
        log.calls.clear();
    }

    void cleanup()
    {
        TAVMouseNKeyboardHook::uninstallHook();
        // Editors closed by the test are deleted later: let that happen while the database is open.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        scratch.reset();
    }

    void seedRowCountersAndRates()
    {
        auto tab = makeTab();
        QCOMPARE(tab->idleText() + tab->runText(), QString());
        tab->changeSecondToHour();
        QCOMPARE(tab->idleText(), QStringLiteral("0小时0分1秒"));
        QVERIFY(tab->runText().endsWith("秒"));
        // Start-up sets the interface font after the window is built; on Windows it is larger than the font the window
        // was built with, and the counters take it.
        for (QLabel *counter : {findLabel(tab.get(), tab->idleText()), findLabel(tab.get(), tab->runText())}) {
            QVERIFY(counter);
            QFont interfaceFont = counter->font();
            interfaceFont.setPointSize(interfaceFont.pointSize() * 2);
            counter->setFont(interfaceFont);
            QVERIFY(counter->width() >= counter->fontMetrics().horizontalAdvance(QStringLiteral("9999小时59分59秒")));
        }
        const auto download = [&tab](int kilobytes) {
            tab->netspeedResult(kilobytes, 7);
            return tab->downloadText();
        };
        QCOMPARE(QStringList({download(1023), download(1024), download(2047), tab->uploadText()}),
                 QStringList({"1023 KB/秒", "1 M/秒", "1 M/秒", "7 KB/秒"}));
        // The real tick thread reaches the labels too.
        QTRY_COMPARE_WITH_TIMEOUT(tab->idleText(), QStringLiteral("0小时0分2秒"), 3000);

        QCOMPARE(tab->taskTable()->rowCount(), 1);
        TableCellView *row = tab->rowView(0);
        QCOMPARE(row->nameLabel()->text(), QStringLiteral("电脑连续空闲10分钟后执行关闭显示器"));
        QVERIFY(!row->slider()->isChecked() && !tab->scheduler()->isArmed(0));
        QStringList entries;
        for (QAction *action : row->rowMenu()->actions())
            entries << action->text();
        QCOMPARE(entries, (QStringList{"修改任务", "删除任务", "任务详情"}));

        // Its switch, clicked again on its way, turns back from where it is.
        SliderWidget *slider = row->slider();
        QSignalSpy changed(slider, &SliderWidget::checkedChanged);
        QTest::mouseClick(slider, Qt::LeftButton);
        for (int i = 0; i < 10; ++i)
            slider->updateValue();
        QCOMPARE(slider->knobX(), 10);
        QTest::mouseClick(slider, Qt::LeftButton);
        slider->updateValue();
        QCOMPARE(slider->knobX(), 9);
        QTRY_VERIFY(!slider->isAnimating());
        QCOMPARE(slider->knobX(), 0);
        QTest::mouseClick(slider, Qt::LeftButton);
        QCOMPARE(QList<QVariantList>(changed), QList<QVariantList>({{true}, {false}, {true}}));
        // Steps of one pixel to 41, then the stop.
        QList<int> positions, steps;
        while (slider->isAnimating()) {
            slider->updateValue();
            positions << slider->knobX();
            steps << qMin(steps.size() + 1, 41);
        }
        QCOMPARE(positions, steps);
        QCOMPARE(positions.size(), 42);
        triggerRowEntry(row, "删除任务");
        QCOMPARE(tab->taskTable()->rowCount(), 0);
        QVERIFY(tab->addButton()->isVisible());
    }

    void rowsAndDetailsShowTheStoredTasks()
    {
        Record unknown = TC::conditionColumns(TC::FromNowCommission, 0, {"1", "0", "", false});
        unknown["order_t"] = "12";
        addTask(unknown);
        addTask(TC::calendarColumns(TC::DayCommission, 7, {QDate(2030, 1, 2), 7 * 3600}), "/usr/bin/gnome-calculator");
        Record columns = TC::conditionColumns(TC::FromNowCommission, 8, {"1", "0", "", false});
        const QString name = columns.value("name")
            + QString("很长的描述'\"; DROP TABLE plan_t;-- <b>粗体</b>").repeated(12);
        columns["name"] = name;
        const QString address = "example.org/" + QString("a").repeated(600) + "?q=中文&r=$(touch X)";
        addTask(columns, address);
        // A weekly task whose stored run went by while the program was not running.
        const QDateTime lastWeek = QDateTime::currentDateTime().addDays(-7).addSecs(3600);
        const TC::CalendarChoice weekly{lastWeek.date(), lastWeek.time().msecsSinceStartOfDay() / 1000,
                                        lastWeek.date().dayOfWeek()};
        const int weeklyId = addTask(TC::calendarColumns(TC::WeekCommission, 0, weekly));
        auto tab = makeTab();

        // An action the program does not know: the last icon, and no action or operand in the details.
        TableCellView *row = tab->rowView(1);
        QCOMPARE(row->iconLabel()->pixmap(Qt::ReturnByValue).toImage(), QPixmap(":/Tickvale/mission_11").toImage());
        QCOMPARE(tab->rowView(0)->iconLabel()->pixmap(Qt::ReturnByValue).toImage(),
                 QPixmap(":/Tickvale/mission_5").toImage());
        QPointer<ShowingWidget> details = openDetails(row);
        QCOMPARE(details->actionText() + details->operandText(), QString());
        QCOMPARE(details->windowModality(), Qt::ApplicationModal);
        details->close();

        details = openDetails(tab->rowView(2));
        QCOMPARE(
            QStringList({details->actionText(), details->conditionText(), details->timeText(), details->operandText()}),
            QStringList({"运行软件", "每天07:00:00 运行软件", "2030-01-02 07:00:00", "/usr/bin/gnome-calculator"}));
        details->close();

        // Long texts are cut or wrapped, with the whole text at hand.
        row = tab->rowView(3);
        auto *label = qobject_cast<FittedLabel *>(row->nameLabel());
        QCOMPARE(label->text(), name);
        const QStringList shown = label->shownLines();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().endsWith(QChar(0x2026)), qPrintable(shown.first()));
        QCOMPARE(toolTipOf(label), name);
        QVERIFY(row->slider()->isVisible() && row->rect().contains(row->slider()->geometry()));
        QVERIFY(label->geometry().right() < row->slider()->geometry().left());
        auto *seed = qobject_cast<FittedLabel *>(tab->rowView(0)->nameLabel());
        QCOMPARE(seed->shownLines(), QStringList{seed->text()});
        QVERIFY(toolTipOf(seed).isEmpty());
        details = openDetails(row);
        QVERIFY(QTest::qWaitForWindowExposed(details));
        for (FittedLabel *value : {details->conditionLabel(), details->operandLabel()}) {
            const QStringList lines = value->shownLines();
            QVERIFY2(lines.size() > 1, qPrintable(value->objectName()));
            const QRect inWindow(value->mapTo(details, QPoint(0, 0)), value->size());
            QVERIFY(details->rect().contains(inWindow));
            for (const QString &line : lines)
                QVERIFY(value->fontMetrics().horizontalAdvance(line) <= value->contentsRect().width());
            QVERIFY(lines.last().endsWith(QChar(0x2026)));
            QCOMPARE(toolTipOf(value), value->text());
        }
        QCOMPARE(details->operandText(), address);
        details->close();

        row = tab->rowView(4);
        QTest::mouseClick(row->slider(), Qt::LeftButton);
        QVERIFY(tab->scheduler()->isWaiting(weeklyId));
        const QString next = lastWeek.addDays(7).toString("yyyy-MM-dd HH:mm:ss");
        QCOMPARE(
            Connection(nullptr).selectPlan({{"id", QString::number(weeklyId)}}).value(0).value("repeat_detail_day"),
            next);
        details = openDetails(row);
        QCOMPARE(details->timeText(), next);
        details->close();
    }

    void tasksAreSwitchedAddedEditedAndRemovedOverTheWindow()
    {
        QPointer<FakeInputSource> input;
        TAVMouseNKeyboardHook::setSourceFactory([&input] {
            auto source = std::make_unique<FakeInputSource>(false);
            input = source.get();
            return source;
        });
        auto tab = makeTab();
        // Runs once, a second after it is switched on.
        Record onBoot = TC::conditionColumns(TC::FromOnCommission, 3, {"0", "1", "", true});
        onBoot["lease_second"] = QString::number(tab->scheduler()->bootUptimeSeconds() + 1);
        tab.reset();
        const int ranId = addTask(onBoot);
        const int passedId = addTask(
            TC::calendarColumns(TC::OnceCommission, 0, {QDate::currentDate().addDays(-1), 3600}));
        tab = makeTab();
        TAVMouseNKeyboardHook::setSourceFactory([] { return std::make_unique<FakeInputSource>(); });
        TableCellView *row = tab->rowView(1);
        QTest::mouseClick(row->slider(), Qt::LeftButton);
        QVERIFY(row->slider()->isChecked() && tab->scheduler()->isWaiting(ranId));
        // The task has run: its switch goes off.
        QTRY_COMPARE_WITH_TIMEOUT(log.calls.size(), 1, 5000);
        QVERIFY(!tab->scheduler()->isArmed(ranId) && !row->slider()->isChecked());
        QTRY_COMPARE(row->slider()->knobX(), 0);

        // Idle tasks follow whether the watch sees idleness.
        QSignalSpy refused(tab->scheduler(), &TaskScheduler::armingRefused);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot report; not armed"));
        tab->handleOperaSliderSignal(0, true);
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.first().at(1).toString(), QString("当前桌面无法检测空闲时间"));
        QVERIFY(!tab->scheduler()->isArmed(0));
        input->setDetectable(true);
        QTest::mouseClick(tab->rowView(0)->slider(), Qt::LeftButton);
        QVERIFY(tab->scheduler()->isWaiting(0));

        // A task that cannot be armed says why and stays off; the other rows keep their state.
        row = tab->rowView(2);
        ModalAnswerer refusal("OK");
        QTest::mouseClick(row->slider(), Qt::LeftButton);
        QTRY_COMPARE(refusal.title + " " + refusal.text,
                     QStringLiteral("提示 执行时间等于或早于当前时间,命令不会执行"));
        QVERIFY(!row->slider()->isChecked() && !tab->scheduler()->isArmed(passedId));
        QTRY_COMPARE(row->slider()->knobX(), 0);
        QCOMPARE(refused.size(), 2);
        QVERIFY(tab->rowView(0)->slider()->isChecked() && tab->scheduler()->isWaiting(0));

        QPointer<EditWidget> editor;
        // Added over the window: the seed, the task that ran and the passed one come first.
        for (const QString answer : {"是", "否"}) {
            QTest::mouseClick(tab->addButton(), Qt::LeftButton);
            editor = tab->editor();
            QCOMPARE(editor->windowModality(), Qt::ApplicationModal);
            editor->kindButton(EditWidget::FromNowCommission)->click();
            auto *hours = editor->findChild<QLineEdit *>("hours5");
            hours->selectAll();
            QTest::keyClicks(hours, "2");
            ModalAnswerer question(answer);
            QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
            QCOMPARE(question.title + " " + question.text, QStringLiteral("定时管理 计划添加成功,现在需要启动该计划?"));
            // Over the window it belongs to, not wherever the screen's middle is.
            QVERIFY2((question.centre - tab->frameGeometry().center()).manhattanLength() <= 2,
                     qPrintable(QStringLiteral("question at %1,%2").arg(question.centre.x()).arg(question.centre.y())));
            const int rows = tab->taskTable()->rowCount();
            QCOMPARE(rows, answer == "是" ? 4 : 5);
            row = tab->rowView(rows - 1);
            QCOMPARE(row->nameLabel()->text(), QStringLiteral("从现在开始2小时0分后关机"));
            QCOMPARE(row->slider()->isChecked(), answer == "是");
            QCOMPARE(tab->scheduler()->isWaiting(row->taskId()), answer == "是");
        }
        // Changed from its row, the task left off is asked about again.
        row = tab->rowView(4);
        triggerRowEntry(row, "修改任务");
        editor = row->openEditor();
        QVERIFY(editor->kindButton(EditWidget::FromNowCommission)->isChecked());
        auto *minutes = editor->findChild<QLineEdit *>("minutes5");
        minutes->selectAll();
        QTest::keyClicks(minutes, "45");
        ModalAnswerer question("是");
        QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
        QVERIFY(question.answered);
        QCOMPARE(tab->taskTable()->rowCount(), 5);
        QCOMPARE(tab->rowView(4)->nameLabel()->text(), QStringLiteral("从现在开始2小时45分后关机"));
        QVERIFY(tab->scheduler()->isWaiting(tab->rowView(4)->taskId()));

        // Removed, an armed task is disarmed; a removal the file refuses keeps the row.
        const int removed = tab->rowView(3)->taskId();
        const int kept = tab->rowView(4)->taskId();
        QVERIFY(tab->scheduler()->isWaiting(removed));
        triggerRowEntry(tab->rowView(3), "删除任务");
        QVERIFY(!tab->scheduler()->isArmed(removed));
        QCOMPARE(QString("%1 %2").arg(tab->taskTable()->rowCount()).arg(tab->scheduler()->planList().size()), "4 4");
        QSqlQuery query(QSqlDatabase::database());
        QVERIFY(query.exec(QString("select enable_state from plan_t where id=%1").arg(removed)) && query.next());
        QCOMPARE(query.value(0).toInt(), 0);

        // The file takes no change to the task, as a read-only file does not.
        QVERIFY(query.exec("create trigger keep_tasks before update on plan_t begin "
                           "select raise(abort, 'read-only'); end"));
        ModalAnswerer answer("OK");
        triggerRowEntry(tab->rowView(3), "删除任务");
        QTRY_COMPARE(answer.title, QStringLiteral("提示"));
        QVERIFY2(answer.text.startsWith(QStringLiteral("任务未能删除。"))
                     && answer.text.contains(QDir::toNativeSeparators(scratch->filePath("database.db"))),
                 qPrintable(answer.text));
        QCOMPARE(tab->taskTable()->rowCount(), 4);
        QCOMPARE(tab->rowView(3)->taskId(), kept);
        QVERIFY(tab->rowView(3)->slider()->isChecked() && tab->scheduler()->isWaiting(kept));
        QCOMPARE(Connection(nullptr).selectPlanList().size(), 4);
        QTest::qWait(100);
        QCOMPARE(log.calls.size(), 1); // only the task that ran

        // Away from the screen's middle, the pop-ups open over the main window.
        tab->move(-200, -100);
        QVERIFY(QTest::qWaitForWindowExposed(tab.get()));
        const QPoint middle = tab->frameGeometry().center();
        QPointer<ShowingWidget> details = openDetails(tab->rowView(0));
        QCOMPARE(details->frameGeometry().center(), middle);
        details->close();

        // The editor is larger than this screen: it is kept on it, its title strip within reach.
        QTest::mouseClick(tab->addButton(), Qt::LeftButton);
        editor = tab->editor();
        const QRect screen = tab->screen()->availableGeometry();
        QCOMPARE(editor->frameGeometry().top(), screen.top());
        QVERIFY(screen.contains(editor->frameGeometry().topLeft()));
        QVERIFY(editor->frameGeometry().contains(middle));
        editor->close();
    }

private:
    std::unique_ptr<ComputerManageWidget> makeTab()
    {
        Connection(nullptr).createTables();
        auto tab = std::make_unique<ComputerManageWidget>(nullptr, fakeActionServices(&log));
        tab->resize(900, 680);
        tab->show();
        return tab;
    }

    int addTask(const Record &columns, const QString &operand = QString())
    {
        Connection connection(nullptr);
        connection.createTables();
        connection.insertPlan(TC::saveRecord(columns, operand, "-1"));
        return connection.selectPlanList().last().value("id").toInt();
    }

    void triggerRowEntry(TableCellView *row, const QString &text)
    {
        for (QAction *action : row->rowMenu()->actions()) {
            if (action->text() == text) {
                action->trigger();
                return;
            }
        }
        QFAIL(qPrintable("no row entry " + text));
    }

    ShowingWidget *openDetails(TableCellView *row)
    {
        triggerRowEntry(row, "任务详情");
        return row->openDetails();
    }

    std::unique_ptr<ScratchDirectory> scratch;
    ActionLog log;
};

QTEST_MAIN(TestTaskTab)
#include "tst_task_tab.moc"
