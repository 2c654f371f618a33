#include "ModalAnswerer.h"
#include "ScratchDirectory.h"
#include "app/StartUp.h"
#include "log_ui/VATCalendarWidget.h"
#include "log_ui/VATDateTimeBetweenWidget.h"
#include "tasks_ui/EditWidget.h"
#include "widgets/TAVInputWidget.h"
#include "widgets/TAVRadioButton.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

namespace {

// Opens the drop-down as a click on its button does; the calendar's pop-up window.
QWidget *openPopUp(QDateEdit *edit)
{
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 6, edit->height() / 2));
    QWidget *popup = edit->calendarWidget()->window();
    return popup->isVisible() ? popup : nullptr;
}

// A day of the shown month as the pop-up shows it: where its cell is and under which weekday.
struct Cell
{
    int day;
    QPoint centre;
    QRect area; // in the calendar view's viewport
    QString weekdayHeader;
};

QList<Cell> monthCells(QWidget *popup, QCalendarWidget *calendar)
{
    auto *view = calendar->findChild<QTableView *>();
    QList<Cell> cells;
    const int days = QDate(calendar->yearShown(), calendar->monthShown(), 1).daysInMonth();
    for (int row = 1; row < view->model()->rowCount(); ++row) {
        for (int column = 0; column < view->model()->columnCount(); ++column) {
            const QModelIndex index = view->model()->index(row, column);
            const int day = index.data().toInt();
            // This month's days run from the first "1" to its last day.
            if ((cells.isEmpty() && day != 1) || cells.size() >= days)
                continue;
            const QRect area = view->visualRect(index);
            cells << Cell{int(cells.size()) + 1, view->viewport()->mapTo(popup, area.center()), area,
                          view->model()->index(0, column).data().toString()};
        }
    }
    return cells;
}

void clickAt(QWidget *popup, const QPoint &point)
{
    QWidget *target = popup->childAt(point);
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(popup, point));
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The interface's own font, as the program sets it: its cells are larger than the default's.
        StartUp::registerFont();
        StartUp::applyApplicationFont();
    }

    void popUpCalendarTakesADayOfTheMonthAfterTheEarliest()
    {
        // The date edits the user meets: the editor's "一次" date and the range picker's start, made alike.
        ScratchDirectory scratch;
        EditWidget editor;
        editor.show();
        QTest::mouseClick(editor.kindButton(EditWidget::OnceCommission), Qt::LeftButton);
        VATDateTimeBetweenWidget picker(nullptr);
        picker.show();
        for (QDateEdit *edit :
             {editor.findChild<QDateEdit *>("onceDate"), picker.findChild<QDateEdit *>("startDate")}) {
            QWidget *popup = openPopUp(edit);
            QVERIFY(popup);
            auto *calendar = qobject_cast<VATCalendarWidget *>(edit->calendarWidget());
            auto *view = calendar->findChild<QTableView *>();
            const QList<Cell> cells = monthCells(popup, calendar);
            QCOMPARE(cells.size(), QDate(calendar->yearShown(), calendar->monthShown(), 1).daysInMonth());
            QList<Cell> saturdays;
            for (const Cell &cell : cells) {
                // The whole cell is drawn, and a click on its middle reaches the calendar.
                QVERIFY2(view->viewport()->rect().contains(cell.area), qPrintable(QString("day %1").arg(cell.day)));
                QCOMPARE(popup->childAt(cell.centre), view->viewport());
                if (cell.weekdayHeader == QStringLiteral("六"))
                    saturdays << cell;
            }
            // The month's second Saturday, found under its weekday header.
            const QDate picked(calendar->yearShown(), calendar->monthShown(), saturdays.at(1).day);
            QCOMPARE(picked.dayOfWeek(), 6);
            clickAt(popup, saturdays.at(1).centre);
            QCOMPARE(edit->date(), picked);
            QVERIFY(!popup->isVisible());

            // Paged back to July 2021 with the strip's buttons: the days before the earliest are refused.
            popup = openPopUp(edit);
            QVERIFY(popup);
            while (calendar->yearShown() > 2021)
                calendar->button("CalendarLeftYearBtn")->click();
            while (calendar->monthShown() != 7)
                calendar->button(calendar->monthShown() > 7 ? "CalendarLeftMonthBtn" : "CalendarRightMonthBtn")
                    ->click();
            const QList<Cell> july = monthCells(popup, calendar);
            clickAt(popup, july.at(17).centre);
            QCOMPARE(edit->date(), picked);
            QVERIFY(popup->isVisible());
            clickAt(popup, july.at(18).centre);
            QCOMPARE(edit->date(), QDate(2021, 7, 19));
        }
    }

    void stripPagesAndPicksWithoutChangingTheSelection()
    {
        // How a day is drawn: the first look that applies wins.
        using V = VATCalendarWidget;
        const QDate today(2026, 12, 9), the20th(2026, 12, 20);
        const auto look = [&](const QDate &day, const QDate &selected) {
            return V::cellLook(day, selected, today, QDate(2021, 7, 19), QDate(7999, 12, 31), 12);
        };
        QCOMPARE(QList<int>({look(today, today), look(the20th, the20th), look(today, the20th),
                             look(QDate(2026, 12, 3), today), look(QDate(2027, 1, 2), today),
                             look(QDate(2021, 7, 18), today)}),
                 QList<int>({V::SelectedCell, V::SelectedCell, V::TodayCell, V::InRangeCell, V::OtherMonthCell,
                             V::OutOfRangeCell}));

        VATCalendarWidget calendar(nullptr);
        const QLabel *month = calendar.findChild<QLabel *>("CalendarDataLabel");
        calendar.setSelectedDate(QDate(2026, 12, 9));
        calendar.setCurrentPage(2026, 12);
        QStringList pages{month->text()};
        for (const char *button : {"CalendarRightMonthBtn", "CalendarLeftYearBtn", "CalendarRightYearBtn",
                                   "CalendarLeftMonthBtn", "CalendarLeftYearBtn"}) {
            calendar.button(button)->click();
            pages << month->text();
        }
        QCOMPARE(pages, QStringList({"2026年12月", "2027年1月", "2026年1月", "2027年1月", "2026年12月", "2025年12月"}));
        QCOMPARE(calendar.selectedDate(), QDate(2026, 12, 9));

        calendar.button("CalendarTodayBtn")->click();
        const QDate now = QDate::currentDate();
        QCOMPARE(calendar.selectedDate(), now);
        QCOMPARE(month->text(), QStringLiteral("%1年%2月").arg(now.year()).arg(now.month()));
        QSignalSpy chosen(&calendar, &VATCalendarWidget::signalSetCalendarTime);
        QSignalSpy activated(&calendar, &QCalendarWidget::activated);
        calendar.button("CalendarEnsureBtn")->click();
        QCOMPARE(QList<QVariantList>(chosen), QList<QVariantList>{QVariantList{now}});
        QCOMPARE(activated.size(), 1);
    }

    void rangePickerPassesDatesUnchanged()
    {
        VATDateTimeBetweenWidget picker(nullptr);
        picker.show();
        auto *start = picker.findChild<QDateEdit *>("startDate");
        QCOMPARE(start->date(), QDate::currentDate());
        QSignalSpy confirmed(&picker, &VATDateTimeBetweenWidget::confirmDate);
        start->setDate(QDate(2026, 12, 10));
        picker.findChild<QDateEdit *>("endDate")->setDate(QDate(2026, 12, 1));
        QTest::mouseClick(picker.confirmButton(), Qt::LeftButton);
        QCOMPARE(QList<QVariantList>(confirmed),
                 (QList<QVariantList>{QVariantList{QDate(2026, 12, 10), QDate(2026, 12, 1)}}));
        QVERIFY(!picker.isVisible());

        picker.show();
        QTest::mouseClick(picker.cancelButton(), Qt::LeftButton);
        QCOMPARE(confirmed.size(), 1);
        QVERIFY(!picker.isVisible());
    }

    void addressWindowAnswersWithoutAnAddress()
    {
        // Nothing typed and confirmed, or an address typed and cancelled or closed (one confirmed: the editor's tests).
        ScratchDirectory scratch;
        for (const QString button : {"confirm", "cancel", "closeButton"}) {
            const QString typed = button == "confirm" ? QString() : "example.org";
            TAVInputWidget window(nullptr);
            window.setTexts("请输入网址", "http://");
            window.show();
            QSignalSpy content(&window, &TAVInputWidget::getInputContent);
            QTest::keyClicks(window.findChild<QLineEdit *>("input"), typed);
            ModalAnswerer answer("OK");
            QPushButton *clicked = button == "confirm" ? window.confirmButton()
                : button == "cancel"                   ? window.cancelButton()
                                                       : window.findChild<QPushButton *>(button);
            QTest::mouseClick(clicked, Qt::LeftButton);
            QCOMPARE(content.size(), 0);
            // Confirming nothing asks for text and keeps the window; cancelling or closing closes it.
            QCOMPARE(answer.title + " " + answer.text,
                     typed.isEmpty() ? QStringLiteral("提示 请输入内容") : QString(" "));
            QCOMPARE(window.isVisible(), typed.isEmpty());
        }
    }
};

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
