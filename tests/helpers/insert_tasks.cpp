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
    const QStringList keys = QStringLiteral("eng_name order_command order_t lease_second timer_mode repeat_mode "
                                            "repeat_time_day_month_year_in_second repeat_bigger_unit repeat_except "
                                            "repeat_detail_day from_1970_seconds condition_speed enable_state "
                                            "operation_type")
                                 .split(' ');
    const QStringList values = QStringLiteral("||7|60|1|0|-1||0||0|-1|1|0").split('|');
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("%1-%2").arg(tag).arg(i);
        Connection::Record task = {{"name", name}, {"position", "/opt/" + name}};
        for (int k = 0; k < keys.size(); ++k)
            task.insert(keys.at(k), values.at(k));
        failures += !connection.insertPlan(task);
        // Tasks are added one at a time by people: a writer in a tight loop would hold the
        // file in turns with the other one and starve it past any busy timeout.
        QThread::msleep(2);
    }
    return failures == 0 ? 0 : 1;
}
