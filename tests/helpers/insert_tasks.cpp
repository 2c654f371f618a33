// Inserts N tasks with operands into database.db in the working directory, as one running
// instance of the program would. Used by the test of two instances writing at once.
#include "storage/Connection.h"

#include <QCoreApplication>
#include <QThread>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 3)
        return qCritical("usage: insert_tasks COUNT TAG"), 2;
    Connection connection(nullptr);
    connection.createTables();
    int failures = 0;
    for (int i = 0; i < QString::fromLocal8Bit(argv[1]).toInt(); ++i) {
        const QString name = QStringLiteral("%1-%2").arg(QString::fromLocal8Bit(argv[2])).arg(i);
        Connection::Record task = {{"name", name}, {"position", "/opt/" + name}};
        for (const QString &pair :
             QStringLiteral("order_t=7 lease_second=60 timer_mode=1 repeat_mode=0 repeat_except=0 "
                            "repeat_time_day_month_year_in_second=-1 from_1970_seconds=0 "
                            "condition_speed=-1 enable_state=1 operation_type=0")
                 .split(' '))
            task.insert(pair.section('=', 0, 0), pair.section('=', 1));
        failures += !connection.insertPlan(task);
        // Tasks are added one at a time by people: a writer in a tight loop would hold the
        // file in turns with the other one and starve it past any busy timeout.
        QThread::msleep(2);
    }
    return failures == 0 ? 0 : 1;
}
