#include "TestTimeZone.h"
#include "schedule/FirstRunCalculator.h"

#include <QtTest>

using Calc = FirstRunCalculator;

namespace {
// 2026-12-09 is a Wednesday.
QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, text.size() == 16 ? "yyyy-MM-dd HH:mm" : "yyyy-MM-dd HH:mm:ss");
}
int hms(int h, int m, int s = 0)
{
    return (h * 60 + m) * 60 + s;
}
// The repeating rules of the table below.
constexpr int Daily = 0, Weekly = 1, Monthly = 2, Yearly = 3;
} // namespace

class TestFirstRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exceptionShift_data();
    void exceptionShift();
    void repeatingRules_data();
    void repeatingRules();
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
    QTest::newRow("weekend, Sunday") << int(Calc::ExceptAll) << 7 << 1;
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

void TestFirstRun::repeatingRules_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QStringList>("nowAndFirstRun");
    // Daily: the days left out; weekly: the weekday; monthly: the day; yearly: the month and day. Then the hour.
    QTest::addColumn<QList<int>>("choice");
    const int none = Calc::ExceptWithout;
    const int sat = Calc::ExceptSat;
    const int both = Calc::ExceptAll;
    QTest::newRow("later today") << Daily << QStringList{"2026-12-09 07:00", "2026-12-09"} << QList<int>{none, 8};
    QTest::newRow("today, at now") << Daily << QStringList{"2026-12-09 08:00", "2026-12-10"} << QList<int>{none, 8};
    QTest::newRow("Fri, Sat off") << Daily << QStringList{"2026-12-11 09:00", "2026-12-13"} << QList<int>{sat, 8};
    QTest::newRow("Sat, weekend off") << Daily << QStringList{"2026-12-12 07:00", "2026-12-14"} << QList<int>{both, 8};
    QTest::newRow("Monday on a Wed") << Weekly << QStringList{"2026-12-09 10:00", "2026-12-14"} << QList<int>{1, 8};
    QTest::newRow("Friday on a Wed") << Weekly << QStringList{"2026-12-09 10:00", "2026-12-11"} << QList<int>{5, 8};
    QTest::newRow("Wed, still ahead") << Weekly << QStringList{"2026-12-09 07:59:59", "2026-12-09"} << QList<int>{3, 8};
    QTest::newRow("Wed, at now") << Weekly << QStringList{"2026-12-09 08:00", "2026-12-16"} << QList<int>{3, 8};
    QTest::newRow("15th, before") << Monthly << QStringList{"2026-12-15 07:00", "2026-12-15"} << QList<int>{15, 8};
    QTest::newRow("31st in April") << Monthly << QStringList{"2026-04-10 09:00", "2026-04-30"} << QList<int>{31, 8};
    QTest::newRow("31st on 30 April") << Monthly << QStringList{"2026-04-30 09:00", "2026-05-31"} << QList<int>{31, 8};
    QTest::newRow("30th into Feb") << Monthly << QStringList{"2027-01-31 09:00", "2027-02-28"} << QList<int>{30, 8};
    QTest::newRow("1 May, after") << Yearly << QStringList{"2026-05-01 09:00", "2027-05-01"} << QList<int>{5, 1, 8};
    QTest::newRow("1 May, before") << Yearly << QStringList{"2026-05-01 07:00", "2026-05-01"} << QList<int>{5, 1, 8};
    QTest::newRow("29 Feb, common") << Yearly << QStringList{"2026-12-09 09:00", "2027-02-28"} << QList<int>{2, 29, 8};
    QTest::newRow("29 Feb, leap") << Yearly << QStringList{"2027-12-09 09:00", "2028-02-29"} << QList<int>{2, 29, 8};
}

void TestFirstRun::repeatingRules()
{
    QFETCH(int, rule);
    QFETCH(QStringList, nowAndFirstRun);
    QFETCH(QList<int>, choice);
    const QDateTime now = at(nowAndFirstRun.at(0));
    const int time = hms(choice.last(), 0);
    QDate found;
    switch (rule) {
    case Daily:
        found = Calc::daily(time, now, Calc::ExceptDay(choice.at(0)));
        break;
    case Weekly:
        found = Calc::weekly(choice.at(0), time, now);
        break;
    case Monthly:
        found = Calc::monthly(choice.at(0), time, now);
        break;
    default:
        found = Calc::yearly(choice.at(0), choice.at(1), time, now);
    }
    QCOMPARE(found, QDate::fromString(nowAndFirstRun.at(1), Qt::ISODate));
}

void TestFirstRun::epochIsTheLocalMomentAlsoOnDaylightSavingDays_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("time");
    QTest::addColumn<qint64>("epoch");
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
