#include "TestTimeZone.h"
#include "schedule/FirstRunCalculator.h"

#include <QtTest>

using Calc = FirstRunCalculator;

namespace {
// 2026-12-09 is a Wednesday.
QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, "yyyy-MM-dd HH:mm:ss");
}
int hms(int h, int m, int s = 0)
{
    return (h * 60 + m) * 60 + s;
}
} // namespace

class TestFirstRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exceptionShift_data();
    void exceptionShift();
    void daily_data();
    void daily();
    void weekly_data();
    void weekly();
    void monthly_data();
    void monthly();
    void yearly_data();
    void yearly();
    void onceIsKeptEvenInThePast();
    void epochIsTheLocalMomentAlsoOnDaylightSavingDays_data();
    void epochIsTheLocalMomentAlsoOnDaylightSavingDays();
};

void TestFirstRun::initTestCase()
{
    // A zone with daylight-saving changes: 2026-03-29 02:00 -> 03:00, 2026-10-25 03:00 -> 02:00.
    useTimeZone("Europe/Berlin");
    QCOMPARE(QDateTime(QDate(2026, 7, 1), QTime(12, 0)).offsetFromUtc(), 2 * 3600);
    QCOMPARE(QDateTime(QDate(2026, 12, 1), QTime(12, 0)).offsetFromUtc(), 3600);
}

void TestFirstRun::exceptionShift_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("weekday");
    QTest::addColumn<int>("shift");
    QTest::newRow("no exception, Saturday") << int(Calc::ExceptWithout) << 6 << 0;
    QTest::newRow("weekend, Friday") << int(Calc::ExceptAll) << 5 << 0;
    QTest::newRow("weekend, Saturday") << int(Calc::ExceptAll) << 6 << 2;
    QTest::newRow("weekend, Sunday") << int(Calc::ExceptAll) << 7 << 1;
    QTest::newRow("Saturday, Saturday") << int(Calc::ExceptSat) << 6 << 1;
    QTest::newRow("Saturday, Sunday") << int(Calc::ExceptSat) << 7 << 0;
    QTest::newRow("Sunday, Sunday") << int(Calc::ExceptSun) << 7 << 1;
    QTest::newRow("Sunday, Saturday") << int(Calc::ExceptSun) << 6 << 0;
}

void TestFirstRun::exceptionShift()
{
    QFETCH(int, flags);
    QFETCH(int, weekday);
    QFETCH(int, shift);
    QCOMPARE(Calc::exceptionShift(Calc::ExceptDay(flags), weekday), shift);
}

void TestFirstRun::daily_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("later today") << at("2026-12-09 07:00:00") << hms(8, 0) << int(Calc::ExceptWithout)
                                 << QDate(2026, 12, 9);
    QTest::newRow("equal to now is not ahead")
        << at("2026-12-09 08:00:00") << hms(8, 0) << int(Calc::ExceptWithout) << QDate(2026, 12, 10);
    QTest::newRow("Friday after the time, Saturday excepted")
        << at("2026-12-11 09:00:00") << hms(8, 0) << int(Calc::ExceptSat) << QDate(2026, 12, 13);
    QTest::newRow("Saturday before the time, weekend excepted")
        << at("2026-12-12 07:00:00") << hms(8, 0) << int(Calc::ExceptAll) << QDate(2026, 12, 14);
    QTest::newRow("Sunday after the time, weekend excepted")
        << at("2026-12-13 09:00:00") << hms(8, 0) << int(Calc::ExceptAll) << QDate(2026, 12, 14);
    QTest::newRow("New Year's Eve after the time")
        << at("2026-12-31 23:59:59") << hms(23, 0) << int(Calc::ExceptWithout) << QDate(2027, 1, 1);
}

void TestFirstRun::daily()
{
    QFETCH(QDateTime, now);
    QFETCH(int, time);
    QFETCH(int, flags);
    QFETCH(QDate, expected);
    QCOMPARE(Calc::daily(time, now, Calc::ExceptDay(flags)), expected);
}

void TestFirstRun::weekly_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("weekday");
    QTest::addColumn<int>("time");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("Monday chosen on a Wednesday") << at("2026-12-09 10:00:00") << 1 << hms(8, 0) << QDate(2026, 12, 14);
    QTest::newRow("Monday chosen on a Sunday") << at("2026-12-13 10:00:00") << 1 << hms(8, 0) << QDate(2026, 12, 14);
    QTest::newRow("Friday chosen on a Wednesday") << at("2026-12-09 10:00:00") << 5 << hms(8, 0) << QDate(2026, 12, 11);
    QTest::newRow("today, still ahead") << at("2026-12-09 07:59:59") << 3 << hms(8, 0) << QDate(2026, 12, 9);
    QTest::newRow("today, equal to now") << at("2026-12-09 08:00:00") << 3 << hms(8, 0) << QDate(2026, 12, 16);
}

void TestFirstRun::weekly()
{
    QFETCH(QDateTime, now);
    QFETCH(int, weekday);
    QFETCH(int, time);
    QFETCH(QDate, expected);
    QCOMPARE(Calc::weekly(weekday, time, now), expected);
}

void TestFirstRun::monthly_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("time");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("15th on 15 December after the time")
        << at("2026-12-15 09:00:00") << 15 << hms(8, 0) << QDate(2027, 1, 15);
    QTest::newRow("15th on 15 December before the time")
        << at("2026-12-15 07:00:00") << 15 << hms(8, 0) << QDate(2026, 12, 15);
    QTest::newRow("10th on the 20th") << at("2026-11-20 09:00:00") << 10 << hms(8, 0) << QDate(2026, 12, 10);
    QTest::newRow("31st in a 30-day month") << at("2026-04-10 09:00:00") << 31 << hms(8, 0) << QDate(2026, 4, 30);
    QTest::newRow("31st on 30 April after the time")
        << at("2026-04-30 09:00:00") << 31 << hms(8, 0) << QDate(2026, 5, 31);
    QTest::newRow("30th from January into February")
        << at("2027-01-31 09:00:00") << 30 << hms(8, 0) << QDate(2027, 2, 28);
}

void TestFirstRun::monthly()
{
    QFETCH(QDateTime, now);
    QFETCH(int, day);
    QFETCH(int, time);
    QFETCH(QDate, expected);
    QCOMPARE(Calc::monthly(day, time, now), expected);
}

void TestFirstRun::yearly_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("time");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("1 May on 1 May after the time")
        << at("2026-05-01 09:00:00") << 5 << 1 << hms(8, 0) << QDate(2027, 5, 1);
    QTest::newRow("1 May on 30 April") << at("2026-04-30 09:00:00") << 5 << 1 << hms(8, 0) << QDate(2026, 5, 1);
    QTest::newRow("1 May on 1 May before the time")
        << at("2026-05-01 07:00:00") << 5 << 1 << hms(8, 0) << QDate(2026, 5, 1);
    QTest::newRow("29 February in a common year")
        << at("2026-12-09 09:00:00") << 2 << 29 << hms(8, 0) << QDate(2027, 2, 28);
    QTest::newRow("29 February in a leap year")
        << at("2027-12-09 09:00:00") << 2 << 29 << hms(8, 0) << QDate(2028, 2, 29);
    QTest::newRow("31 April") << at("2026-01-09 09:00:00") << 4 << 31 << hms(8, 0) << QDate(2026, 4, 30);
}

void TestFirstRun::yearly()
{
    QFETCH(QDateTime, now);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, time);
    QFETCH(QDate, expected);
    QCOMPARE(Calc::yearly(month, day, time, now), expected);
}

void TestFirstRun::onceIsKeptEvenInThePast()
{
    QCOMPARE(Calc::once(QDate(2001, 2, 3)), QDate(2001, 2, 3));
}

void TestFirstRun::epochIsTheLocalMomentAlsoOnDaylightSavingDays_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("time");
    QTest::addColumn<qint64>("epoch");
    QTest::newRow("winter") << QDate(2026, 12, 9) << hms(8, 30) << Q_INT64_C(1796801400);
    QTest::newRow("spring-forward day") << QDate(2026, 3, 29) << hms(8, 0) << Q_INT64_C(1774764000);
    QTest::newRow("fall-back day") << QDate(2026, 10, 25) << hms(22, 0) << Q_INT64_C(1792962000);
    QTest::newRow("skipped clock time counts from midnight")
        << QDate(2026, 3, 29) << hms(2, 30) << Q_INT64_C(1774747800);
    QTest::newRow("after 2038") << QDate(2040, 1, 1) << hms(0, 0, 1) << Q_INT64_C(2208985201);
}

void TestFirstRun::epochIsTheLocalMomentAlsoOnDaylightSavingDays()
{
    QFETCH(QDate, date);
    QFETCH(int, time);
    QFETCH(qint64, epoch);
    QCOMPARE(Calc::epochSeconds(date, time), epoch);
}

QTEST_GUILESS_MAIN(TestFirstRun)
#include "tst_first_run.moc"
