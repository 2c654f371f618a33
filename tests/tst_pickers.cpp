#include "ModalAnswerer.h"
#include "ScratchDirectory.h"
#include "app/StartUp.h"
#include "log_ui/VATCalendarWidget.h"
#include "log_ui/VATDateEdit.h"
#include "log_ui/VATDateTimeBetweenWidget.h"
#include "tasks_ui/EditWidget.h"
#include "widgets/TAVInputWidget.h"
#include "widgets/TAVRadioButton.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include <functional>
#include <memory>

// Exposes the cell painting of the calendar to the test.
class PaintableCalendar : public VATCalendarWidget
{
public:
    PaintableCalendar()
        : VATCalendarWidget(nullptr)
    { }
    using VATCalendarWidget::paintCell;
};

namespace {

// The date edits the user meets: the editor's "一次" date and the two of the range picker.
// Each is made with what owns it, and the owner is kept alive while the test uses the edit.
struct DateEditUnderTest
{
    std::shared_ptr<QWidget> owner;
    QDateEdit *edit = nullptr;
};

DateEditUnderTest dateEditNamed(const QString &name)
{
    if (name == "editor") {
        auto editor = std::make_shared<EditWidget>();
        editor->show();
        QTest::mouseClick(editor->kindButton(EditWidget::OnceCommission), Qt::LeftButton);
        return {editor, editor->findChild<QDateEdit *>("onceDate")};
    }
    auto picker = std::make_shared<VATDateTimeBetweenWidget>(nullptr);
    picker->show();
    return {picker, picker->findChild<QDateEdit *>(name == "range start" ? "startDate" : "endDate")};
}

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

// Whether `picture`'s opaque pixels appear, unchanged, somewhere inside `area` of `shot`.
bool showsPicture(const QImage &shot, const QImage &picture, const QRect &area)
{
    for (int y = area.top(); y + picture.height() <= area.bottom() + 1; ++y) {
        for (int x = area.left(); x + picture.width() <= area.right() + 1; ++x) {
            bool same = true;
            for (int py = 0; py < picture.height() && same; ++py) {
                for (int px = 0; px < picture.width() && same; ++px) {
                    const QColor wanted = picture.pixelColor(px, py);
                    same = wanted.alpha() < 255 || shot.pixelColor(x + px, y + py).rgb() == wanted.rgb();
                }
            }
            if (same)
                return true;
        }
    }
    return false;
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void popUpCalendarShowsTheWholeMonthAndTakesASaturday_data();
    void popUpCalendarShowsTheWholeMonthAndTakesASaturday();
    void popUpCalendarKeepsTheEarliestDate_data();
    void popUpCalendarKeepsTheEarliestDate();
    void dateEditDrawsTheCalendarPicture();
    void cellLookFirstMatchWins_data();
    void cellLookFirstMatchWins();
    void cellsArePaintedByTheirLook_data();
    void cellsArePaintedByTheirLook();
    void pagingUpdatesTheMonthLabel();
    void todayAndEnsureButtons();
    void rangePickerPassesDatesUnchanged();
    void addressWindowAnswers_data();
    void addressWindowAnswers();
};

void TestPickers::initTestCase()
{
    // The interface's own font, as the program sets it: its cells are larger than the default's.
    StartUp::registerFont();
    StartUp::applyApplicationFont();
}

void TestPickers::popUpCalendarShowsTheWholeMonthAndTakesASaturday_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("editor's once date") << "editor";
    QTest::newRow("range start") << "range start";
    QTest::newRow("range end") << "range end";
}

void TestPickers::popUpCalendarShowsTheWholeMonthAndTakesASaturday()
{
    QFETCH(QString, name);
    ScratchDirectory scratch;
    const DateEditUnderTest under = dateEditNamed(name);
    QWidget *popup = openPopUp(under.edit);
    QVERIFY(popup);
    QCalendarWidget *calendar = under.edit->calendarWidget();
    auto *view = calendar->findChild<QTableView *>();
    const QList<Cell> cells = monthCells(popup, calendar);
    QCOMPARE(cells.size(), QDate(calendar->yearShown(), calendar->monthShown(), 1).daysInMonth());
    for (const Cell &cell : cells) {
        // The whole cell is drawn, and a click on its middle reaches the calendar.
        QVERIFY2(view->viewport()->rect().contains(cell.area), qPrintable(QString("day %1").arg(cell.day)));
        QCOMPARE(popup->childAt(cell.centre), view->viewport());
    }
    // The month's second Saturday, found under its weekday header.
    QList<Cell> saturdays;
    for (const Cell &cell : cells) {
        if (cell.weekdayHeader == QStringLiteral("六"))
            saturdays << cell;
    }
    const QDate picked(calendar->yearShown(), calendar->monthShown(), saturdays.at(1).day);
    QCOMPARE(picked.dayOfWeek(), 6);
    clickAt(popup, saturdays.at(1).centre);
    QCOMPARE(under.edit->date(), picked);
    QVERIFY(!popup->isVisible());
}

void TestPickers::popUpCalendarKeepsTheEarliestDate_data()
{
    popUpCalendarShowsTheWholeMonthAndTakesASaturday_data();
}

void TestPickers::popUpCalendarKeepsTheEarliestDate()
{
    QFETCH(QString, name);
    ScratchDirectory scratch;
    const DateEditUnderTest under = dateEditNamed(name);
    QWidget *popup = openPopUp(under.edit);
    QVERIFY(popup);
    auto *calendar = qobject_cast<VATCalendarWidget *>(under.edit->calendarWidget());
    // Paged back to July 2021 with the strip's buttons.
    while (calendar->yearShown() > 2021)
        calendar->button("CalendarLeftYearBtn")->click();
    while (calendar->monthShown() != 7)
        calendar->button(calendar->monthShown() > 7 ? "CalendarLeftMonthBtn" : "CalendarRightMonthBtn")->click();
    const QDate before = under.edit->date();
    const QList<Cell> cells = monthCells(popup, calendar);
    clickAt(popup, cells.at(17).centre); // the 18th: before the earliest date
    QCOMPARE(under.edit->date(), before);
    QVERIFY(popup->isVisible());
    clickAt(popup, cells.at(18).centre);
    QCOMPARE(under.edit->date(), QDate(2021, 7, 19));
}

void TestPickers::dateEditDrawsTheCalendarPicture()
{
    VATDateEdit edit;
    edit.setCalendarPopup(true);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    const QImage shot = edit.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage picture = QImage(":/Tickvale/calendar").convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!picture.isNull());
    // The 40-pixel drop-down at the right end shows the picture, not a plain arrow.
    QVERIFY(showsPicture(shot, picture, QRect(edit.width() - 40, 0, 40, edit.height())));
    QVERIFY(!showsPicture(shot, picture, QRect(0, 0, edit.width() - 40, edit.height())));
}

void TestPickers::cellLookFirstMatchWins_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("selected");
    QTest::addColumn<int>("look");
    const QDate today(2026, 12, 9);
    QTest::newRow("selected today: selected wins") << today << today << int(VATCalendarWidget::SelectedCell);
    QTest::newRow("selected") << QDate(2026, 12, 20) << QDate(2026, 12, 20) << int(VATCalendarWidget::SelectedCell);
    QTest::newRow("today") << today << QDate(2026, 12, 20) << int(VATCalendarWidget::TodayCell);
    QTest::newRow("this month") << QDate(2026, 12, 3) << today << int(VATCalendarWidget::InRangeCell);
    QTest::newRow("other month") << QDate(2027, 1, 2) << today << int(VATCalendarWidget::OtherMonthCell);
    QTest::newRow("before the minimum") << QDate(2021, 7, 18) << today << int(VATCalendarWidget::OutOfRangeCell);
}

void TestPickers::cellLookFirstMatchWins()
{
    QFETCH(QDate, date);
    QFETCH(QDate, selected);
    QFETCH(int, look);
    QCOMPARE(int(VATCalendarWidget::cellLook(date, selected, QDate(2026, 12, 9), QDate(2021, 7, 19),
                                             QDate(7999, 12, 31), 12)),
             look);
}

void TestPickers::cellsArePaintedByTheirLook_data()
{
    QTest::addColumn<int>("dayOffset"); // from today
    QTest::addColumn<bool>("select");
    QTest::addColumn<bool>("belowMinimum");
    QTest::addColumn<QColor>("edge");  // a pixel near the left edge, mid-height
    QTest::addColumn<QColor>("inner"); // three pixels further in
    QTest::addColumn<QColor>("ink");   // the text colour that must appear
    QTest::newRow("selected") << 0 << true << false << QColor(0x00, 0x91, 0xFF) << QColor(0x00, 0x91, 0xFF)
                              << QColor(Qt::white);
    QTest::newRow("today, a blue ring") << 0 << false << false << QColor(0x00, 0xA1, 0xFF) << QColor(Qt::white)
                                        << QColor(0x00, 0xA1, 0xFF);
    QTest::newRow("another month") << 40 << false << false << QColor(Qt::black) << QColor(Qt::black)
                                   << QColor(0x91, 0x91, 0x91);
    QTest::newRow("out of range") << -1 << false << true << QColor(0xF9, 0xF9, 0xF9) << QColor(0xF9, 0xF9, 0xF9)
                                  << QColor(0xDC, 0xDC, 0xDC);
}

void TestPickers::cellsArePaintedByTheirLook()
{
    QFETCH(int, dayOffset);
    QFETCH(bool, select);
    QFETCH(bool, belowMinimum);
    QFETCH(QColor, edge);
    QFETCH(QColor, inner);
    QFETCH(QColor, ink);
    PaintableCalendar calendar;
    const QDate today = QDate::currentDate();
    const QDate date = today.addDays(dayOffset);
    calendar.setMinimumDate(belowMinimum ? today : QDate(2021, 7, 19));
    calendar.setSelectedDate(select ? date : today.addDays(belowMinimum ? 1 : 2));
    calendar.setCurrentPage(today.year(), today.month());

    QImage image(60, 40, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    calendar.paintCell(&painter, QRect(0, 0, 60, 40), date);
    painter.end();
    QCOMPARE(image.pixelColor(0, 20), edge);
    QCOMPARE(image.pixelColor(3, 20), inner);
    bool inkFound = false;
    for (int x = 10; x < 50 && !inkFound; ++x) {
        for (int y = 5; y < 35 && !inkFound; ++y)
            inkFound = image.pixelColor(x, y) == ink;
    }
    QVERIFY(inkFound);
}

void TestPickers::pagingUpdatesTheMonthLabel()
{
    VATCalendarWidget calendar(nullptr);
    const QLabel *month = calendar.findChild<QLabel *>("CalendarDataLabel");
    calendar.setSelectedDate(QDate(2026, 12, 9));
    calendar.setCurrentPage(2026, 12);
    QCOMPARE(month->text(), QStringLiteral("2026年12月"));
    calendar.button("CalendarRightMonthBtn")->click();
    QCOMPARE(month->text(), QStringLiteral("2027年1月"));
    calendar.button("CalendarLeftYearBtn")->click();
    QCOMPARE(month->text(), QStringLiteral("2026年1月"));
    calendar.button("CalendarRightYearBtn")->click();
    calendar.button("CalendarLeftMonthBtn")->click();
    QCOMPARE(month->text(), QStringLiteral("2026年12月"));
    // Paging never changes the selection.
    QCOMPARE(calendar.selectedDate(), QDate(2026, 12, 9));
}

void TestPickers::todayAndEnsureButtons()
{
    VATCalendarWidget calendar(nullptr);
    calendar.setMinimumDate(QDate(2021, 7, 19));
    calendar.setSelectedDate(QDate(2022, 3, 4));
    calendar.button("CalendarTodayBtn")->click();
    const QDate today = QDate::currentDate();
    QCOMPARE(calendar.selectedDate(), today);
    QCOMPARE(calendar.findChild<QLabel *>("CalendarDataLabel")->text(),
             QStringLiteral("%1年%2月").arg(today.year()).arg(today.month()));
    QSignalSpy chosen(&calendar, &VATCalendarWidget::signalSetCalendarTime);
    QSignalSpy activated(&calendar, &QCalendarWidget::activated);
    calendar.button("CalendarEnsureBtn")->click();
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first().at(0).toDate(), QDate::currentDate());
    QCOMPARE(activated.size(), 1);
    // The minimum holds: an earlier date cannot be selected.
    calendar.setSelectedDate(QDate(2020, 1, 1));
    QCOMPARE(calendar.selectedDate(), QDate(2021, 7, 19));
}

void TestPickers::rangePickerPassesDatesUnchanged()
{
    VATDateTimeBetweenWidget picker(nullptr);
    picker.show();
    auto *start = picker.findChild<QDateEdit *>("startDate");
    QCOMPARE(start->date(), QDate::currentDate());
    QSignalSpy confirmed(&picker, &VATDateTimeBetweenWidget::confirmDate);
    start->setDate(QDate(2026, 12, 10));
    picker.findChild<QDateEdit *>("endDate")->setDate(QDate(2026, 12, 1));
    QTest::mouseClick(picker.confirmButton(), Qt::LeftButton);
    QCOMPARE(confirmed.size(), 1);
    QCOMPARE(confirmed.first().at(0).toDate(), QDate(2026, 12, 10));
    QCOMPARE(confirmed.first().at(1).toDate(), QDate(2026, 12, 1));
    QVERIFY(!picker.isVisible());

    picker.show();
    QTest::mouseClick(picker.cancelButton(), Qt::LeftButton);
    QCOMPARE(confirmed.size(), 1);
    QVERIFY(!picker.isVisible());
}

void TestPickers::addressWindowAnswers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("emitted"); // the typed text, once, and the window closes
    QTest::newRow("nothing typed") << QString() << "confirm" << false;
    QTest::newRow("typed, confirmed") << "www.example.org/a?b=1&c='x'"
                                      << "confirm" << true;
    QTest::newRow("typed, cancelled") << "example.org"
                                      << "cancel" << false;
    QTest::newRow("typed, closed") << "example.org"
                                   << "closeButton" << false;
}

void TestPickers::addressWindowAnswers()
{
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(bool, emitted);
    ScratchDirectory scratch;
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
    QCOMPARE(content.size(), emitted ? 1 : 0);
    if (emitted)
        QCOMPARE(content.first().at(0).toString(), typed);
    // Confirming nothing asks for text and keeps the window; every other answer closes it.
    const bool refused = typed.isEmpty();
    QCOMPARE(answer.answered, refused);
    if (refused)
        QCOMPARE(answer.title + " " + answer.text, QStringLiteral("提示 请输入内容"));
    QCOMPARE(window.isVisible(), refused);
}

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
