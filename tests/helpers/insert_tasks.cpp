// Inserts N tasks with operands into database.db in the working directory, as one running
// instance of the program would. Used by the test of two instances writing at once.
#include "storage/Connection.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        qCritical() << "usage: insert_tasks COUNT TAG";
        return 2;
    }
    const int count = QString::fromLocal8Bit(argv[1]).toInt();
    const QString tag = QString::fromLocal8Bit(argv[2]);
    Connection connection(nullptr);
    connection.createTables();
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("%1-%2").arg(tag).arg(i);
        const Connection::Record task = {{"name", name},
                                         {"eng_name", ""},
                                         {"order_command", ""},
                                         {"order_t", "7"},
                                         {"lease_second", "60"},
                                         {"timer_mode", "1"},
                                         {"repeat_mode", "0"},
                                         {"repeat_time_day_month_year_in_second", "-1"},
                                         {"repeat_bigger_unit", ""},
                                         {"repeat_except", "0"},
                                         {"repeat_detail_day", ""},
                                         {"from_1970_seconds", "0"},
                                         {"condition_speed", "-1"},
                                         {"enable_state", "1"},
                                         {"position", "/opt/" + name},
                                         {"operation_type", "0"}};
        if (!connection.insertPlan(task))
            ++failures;
        // Tasks are added one at a time by people: a writer in a tight loop would hold the
        // file in turns with the other one and starve it past any busy timeout.
        QThread::msleep(2);
    }
    return failures == 0 ? 0 : 1;
}
