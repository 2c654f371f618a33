#include "TestTimeZone.h"
#include "schedule/FirstRunCalculator.h"

#include <QtTest>

using Calc = FirstRunCalculator;

class TestFirstRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A zone with daylight-saving changes: 2026-03-29 02:00 -> 03:00, 2026-10-25 03:00 -> 02:00.
        useTimeZone("Europe/Berlin");
        QCOMPARE(QDateTime(QDate(2026, 7, 1), QTime(12, 0)).offsetFromUtc(), 2 * 3600);
        QCOMPARE(QDateTime(QDate(2026, 12, 1), QTime(12, 0)).offsetFromUtc(), 3600);
    }

    // What the calculator gives, worked out in the zone above.
    void rules()
    {
        auto at = [](const QString &text) { return QDateTime::fromString(text, "yyyy-MM-dd HH:mm:ss"); };
        auto hms = [](int h, int m, int s = 0) { return (h * 60 + m) * 60 + s; };
        const int eight = hms(8, 0);
        const auto none = Calc::ExceptWithout, sat = Calc::ExceptSat, sun = Calc::ExceptSun, both = Calc::ExceptAll;
        const auto shift = Calc::exceptionShift;
        QCOMPARE(
            (QList<int>{shift(none, 6), shift(both, 5), shift(both, 7), shift(sat, 7), shift(sun, 7), shift(sun, 6)}),
            (QList<int>{0, 0, 1, 0, 1, 0})); // the days a daily task leaves out, by weekday
        // The first run of each repeating rule, at 08:00; 2026-12-09 is a Wednesday.
        QCOMPARE(Calc::daily(eight, at("2026-12-09 07:00:00"), none), QDate(2026, 12, 9));
        QCOMPARE(Calc::daily(eight, at("2026-12-09 08:00:00"), none), QDate(2026, 12, 10));
        QCOMPARE(Calc::daily(eight, at("2026-12-11 09:00:00"), sat), QDate(2026, 12, 13));
        QCOMPARE(Calc::daily(eight, at("2026-12-12 07:00:00"), both), QDate(2026, 12, 14));
        QCOMPARE(Calc::weekly(1, eight, at("2026-12-09 10:00:00")), QDate(2026, 12, 14));
        QCOMPARE(Calc::weekly(5, eight, at("2026-12-09 10:00:00")), QDate(2026, 12, 11));
        QCOMPARE(Calc::weekly(3, eight, at("2026-12-09 07:59:59")), QDate(2026, 12, 9));
        QCOMPARE(Calc::weekly(3, eight, at("2026-12-09 08:00:00")), QDate(2026, 12, 16));
        QCOMPARE(Calc::monthly(15, eight, at("2026-12-15 07:00:00")), QDate(2026, 12, 15));
        QCOMPARE(Calc::monthly(31, eight, at("2026-04-10 09:00:00")), QDate(2026, 4, 30));
        QCOMPARE(Calc::monthly(31, eight, at("2026-04-30 09:00:00")), QDate(2026, 5, 31));
        QCOMPARE(Calc::monthly(30, eight, at("2027-01-31 09:00:00")), QDate(2027, 2, 28));
        QCOMPARE(Calc::yearly(5, 1, eight, at("2026-05-01 09:00:00")), QDate(2027, 5, 1));
        QCOMPARE(Calc::yearly(5, 1, eight, at("2026-05-01 07:00:00")), QDate(2026, 5, 1));
        QCOMPARE(Calc::yearly(2, 29, eight, at("2026-12-09 09:00:00")), QDate(2027, 2, 28));
        QCOMPARE(Calc::yearly(2, 29, eight, at("2027-12-09 09:00:00")), QDate(2028, 2, 29));
        // The stored moment is the local one, also on days the clocks change.
        QCOMPARE(Calc::epochSeconds(QDate(2026, 3, 29), eight), Q_INT64_C(1774764000));       // spring forward
        QCOMPARE(Calc::epochSeconds(QDate(2026, 10, 25), hms(22, 0)), Q_INT64_C(1792962000)); // fall back
        QCOMPARE(Calc::epochSeconds(QDate(2026, 3, 29), hms(2, 30)), Q_INT64_C(1774747800));  // a skipped time
        QCOMPARE(Calc::epochSeconds(QDate(2040, 1, 1), hms(0, 0, 1)), Q_INT64_C(2208985201)); // after 2038
    }
};

QTEST_GUILESS_MAIN(TestFirstRun)
#include "tst_first_run.moc"
