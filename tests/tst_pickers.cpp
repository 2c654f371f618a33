#include "log_ui/VATCalendarWidget.h"
#include "log_ui/VATDateTimeBetweenWidget.h"
#include "log_ui/VATLogDateButton.h"
#include "widgets/TAVInputWidget.h"
#include "ModalAnswerer.h"
#include "ScratchDirectory.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

// Exposes the cell painting of the calendar to the test.
class PaintableCalendar : public VATCalendarWidget
{
public:
    PaintableCalendar() : VATCalendarWidget(nullptr) {}
    using VATCalendarWidget::paintCell;
};

class TestPickers : public QObject
{
    Q_OBJECT

private slots:
    void cellLookFirstMatchWins_data();
    void cellLookFirstMatchWins();
    void cellsArePaintedByTheirLook_data();
    void cellsArePaintedByTheirLook();
    void pagingUpdatesTheMonthLabel();
    void todayAndEnsureButtons();
    void rangePickerPassesDatesUnchanged();
    void addressWindowWantsText();
    void addressWindowEmitsTypedTextOnce();
    void addressWindowClosesWithoutEmitting();
    void logButtonCarriesTheEditButtonStyle();
};

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
    QTest::addColumn<int>("dayOffset");   // from today
    QTest::addColumn<bool>("select");
    QTest::addColumn<bool>("belowMinimum");
    QTest::addColumn<QColor>("edge");     // a pixel near the left edge, mid-height
    QTest::addColumn<QColor>("inner");    // three pixels further in
    QTest::addColumn<QColor>("ink");      // the text colour that must appear
    QTest::newRow("selected") << 0 << true << false << QColor(0x00, 0x91, 0xFF) << QColor(0x00, 0x91, 0xFF) << QColor(Qt::white);
    QTest::newRow("today, a blue ring") << 0 << false << false << QColor(0x00, 0xA1, 0xFF) << QColor(Qt::white) << QColor(0x00, 0xA1, 0xFF);
    QTest::newRow("another month") << 40 << false << false << QColor(Qt::black) << QColor(Qt::black) << QColor(0x91, 0x91, 0x91);
    QTest::newRow("out of range") << -1 << false << true << QColor(0xF9, 0xF9, 0xF9) << QColor(0xF9, 0xF9, 0xF9) << QColor(0xDC, 0xDC, 0xDC);
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
    calendar.setSelectedDate(QDate(2026, 12, 9));
    calendar.setCurrentPage(2026, 12);
    QCOMPARE(calendar.monthLabel()->text(), QStringLiteral("2026年12月"));
    calendar.button("CalendarRightMonthBtn")->click();
    QCOMPARE(calendar.monthLabel()->text(), QStringLiteral("2027年1月"));
    QCOMPARE(calendar.displayedMonth(), 1);
    calendar.button("CalendarLeftYearBtn")->click();
    QCOMPARE(calendar.monthLabel()->text(), QStringLiteral("2026年1月"));
    calendar.button("CalendarRightYearBtn")->click();
    calendar.button("CalendarLeftMonthBtn")->click();
    QCOMPARE(calendar.monthLabel()->text(), QStringLiteral("2026年12月"));
    // Paging never changes the selection.
    QCOMPARE(calendar.selectedDate(), QDate(2026, 12, 9));
}

void TestPickers::todayAndEnsureButtons()
{
    VATCalendarWidget calendar(nullptr);
    calendar.setMinimumDate(QDate(2021, 7, 19));
    calendar.setSelectedDate(QDate(2022, 3, 4));
    calendar.button("CalendarTodayBtn")->click();
    QCOMPARE(calendar.selectedDate(), QDate::currentDate());
    QCOMPARE(calendar.displayedMonth(), QDate::currentDate().month());
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
    QVERIFY(picker.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(picker.startEdit()->date(), QDate::currentDate());
    QSignalSpy confirmed(&picker, &VATDateTimeBetweenWidget::confirmDate);
    picker.startEdit()->setDate(QDate(2026, 12, 10));
    picker.endEdit()->setDate(QDate(2026, 12, 1));
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

void TestPickers::addressWindowWantsText()
{
    ScratchDirectory scratch;
    TAVInputWidget window(nullptr);
    window.setTexts("请输入网址", "http://");
    window.show();
    QSignalSpy content(&window, &TAVInputWidget::getInputContent);
    ModalAnswerer answer("OK");
    QTest::mouseClick(window.confirmButton(), Qt::LeftButton);
    QVERIFY(answer.answered);
    QCOMPARE(answer.title, QStringLiteral("提示"));
    QCOMPARE(answer.text, QStringLiteral("请输入内容"));
    QVERIFY(window.isVisible());
    QCOMPARE(content.size(), 0);
}

void TestPickers::addressWindowEmitsTypedTextOnce()
{
    ScratchDirectory scratch;
    TAVInputWidget window(nullptr);
    window.show();
    QSignalSpy content(&window, &TAVInputWidget::getInputContent);
    QTest::keyClicks(window.lineEdit(), "www.example.org/a?b=1&c='x'");
    QTest::mouseClick(window.confirmButton(), Qt::LeftButton);
    QCOMPARE(content.size(), 1);
    QCOMPARE(content.first().at(0).toString(), QString("www.example.org/a?b=1&c='x'"));
    QVERIFY(!window.isVisible());
}

void TestPickers::addressWindowClosesWithoutEmitting()
{
    ScratchDirectory scratch;
    TAVInputWidget window(nullptr);
    QSignalSpy content(&window, &TAVInputWidget::getInputContent);
    window.show();
    QTest::keyClicks(window.lineEdit(), "example.org");
    QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    window.show();
    QTest::mouseClick(window.findChild<QPushButton *>("closeButton"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(content.size(), 0);
}

void TestPickers::logButtonCarriesTheEditButtonStyle()
{
    VATLogDateButton button("本月", QColor(Qt::red));
    QCOMPARE(button.text(), QStringLiteral("本月"));
    QVERIFY(button.styleSheet().contains("QPushButton::checked"));
    QVERIFY(!button.parent());
}

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
