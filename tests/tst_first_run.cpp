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
const int Eight = hms(8, 0);
} // namespace

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

    // Each row: what the calculator gives (worked out here, in the zone above), and what it must be.
    void rules_data()
    {
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, const QVariant &found, const QVariant &expected) {
            QTest::newRow(name) << found.toString() << expected.toString();
        };
        const auto none = Calc::ExceptWithout, sat = Calc::ExceptSat, sun = Calc::ExceptSun, both = Calc::ExceptAll;
        // The days a daily task leaves out, by weekday.
        row("no exception, Saturday", Calc::exceptionShift(none, 6), 0);
        row("weekend, Friday", Calc::exceptionShift(both, 5), 0);
        row("weekend, Sunday", Calc::exceptionShift(both, 7), 1);
        row("Saturday, Sunday", Calc::exceptionShift(sat, 7), 0);
        row("Sunday, Sunday", Calc::exceptionShift(sun, 7), 1);
        row("Sunday, Saturday", Calc::exceptionShift(sun, 6), 0);
        // The first run of each repeating rule, at 08:00.
        row("later today", Calc::daily(Eight, at("2026-12-09 07:00"), none), QDate(2026, 12, 9));
        row("today, at now", Calc::daily(Eight, at("2026-12-09 08:00"), none), QDate(2026, 12, 10));
        row("Fri, Sat off", Calc::daily(Eight, at("2026-12-11 09:00"), sat), QDate(2026, 12, 13));
        row("Sat, weekend off", Calc::daily(Eight, at("2026-12-12 07:00"), both), QDate(2026, 12, 14));
        row("Monday on a Wed", Calc::weekly(1, Eight, at("2026-12-09 10:00")), QDate(2026, 12, 14));
        row("Friday on a Wed", Calc::weekly(5, Eight, at("2026-12-09 10:00")), QDate(2026, 12, 11));
        row("Wed, still ahead", Calc::weekly(3, Eight, at("2026-12-09 07:59:59")), QDate(2026, 12, 9));
        row("Wed, at now", Calc::weekly(3, Eight, at("2026-12-09 08:00")), QDate(2026, 12, 16));
        row("15th, before", Calc::monthly(15, Eight, at("2026-12-15 07:00")), QDate(2026, 12, 15));
        row("31st in April", Calc::monthly(31, Eight, at("2026-04-10 09:00")), QDate(2026, 4, 30));
        row("31st on 30 April", Calc::monthly(31, Eight, at("2026-04-30 09:00")), QDate(2026, 5, 31));
        row("30th into Feb", Calc::monthly(30, Eight, at("2027-01-31 09:00")), QDate(2027, 2, 28));
        row("1 May, after", Calc::yearly(5, 1, Eight, at("2026-05-01 09:00")), QDate(2027, 5, 1));
        row("1 May, before", Calc::yearly(5, 1, Eight, at("2026-05-01 07:00")), QDate(2026, 5, 1));
        row("29 Feb, common", Calc::yearly(2, 29, Eight, at("2026-12-09 09:00")), QDate(2027, 2, 28));
        row("29 Feb, leap", Calc::yearly(2, 29, Eight, at("2027-12-09 09:00")), QDate(2028, 2, 29));
        // The stored moment is the local one, also on days the clocks change.
        row("spring-forward day", Calc::epochSeconds(QDate(2026, 3, 29), Eight), Q_INT64_C(1774764000));
        row("fall-back day", Calc::epochSeconds(QDate(2026, 10, 25), hms(22, 0)), Q_INT64_C(1792962000));
        row("skipped clock time counts from midnight", Calc::epochSeconds(QDate(2026, 3, 29), hms(2, 30)),
            Q_INT64_C(1774747800));
        row("after 2038", Calc::epochSeconds(QDate(2040, 1, 1), hms(0, 0, 1)), Q_INT64_C(2208985201));
    }

    void rules()
    {
        QFETCH(QString, found);
        QFETCH(QString, expected);
        QCOMPARE(found, expected);
    }
};

QTEST_GUILESS_MAIN(TestFirstRun)
#include "tst_first_run.moc"
