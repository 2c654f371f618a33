#include "storage/SqlValues.h"

#include <QRegularExpression>
#include <QSet>

bool SqlValues::isIdentifier(const QString &key)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern.match(key).hasMatch();
}

bool SqlValues::isWholeNumber(const QString &value)
{
    bool ok = false;
    value.trimmed().toLongLong(&ok);
    return ok;
}

bool SqlValues::isIntegerColumn(const QString &column)
{
    static const QSet<QString> columns = {
        QStringLiteral("id"),
        QStringLiteral("order_t"),
        QStringLiteral("lease_second"),
        QStringLiteral("timer_mode"),
        QStringLiteral("repeat_mode"),
        QStringLiteral("repeat_time_day_month_year_in_second"),
        QStringLiteral("repeat_except"),
        QStringLiteral("from_1970_seconds"),
        QStringLiteral("condition_speed"),
        QStringLiteral("app_position_t"),
        QStringLiteral("enable_state"),
        QStringLiteral("operation_type"),
        QStringLiteral("timestamp"),
        QStringLiteral("operation_index"),
        QStringLiteral("is_file"),
        QStringLiteral("usefully"),
    };
    return columns.contains(column);
}

QVariant SqlValues::bindValue(const QString &column, const QString &value)
{
    if (isIntegerColumn(column) && isWholeNumber(value))
        return QVariant(value.trimmed().toLongLong());
    return QVariant(value);
}

QString SqlValues::firstBadInteger(const QStringList &columns,
                                   const std::function<QString(const QString &)> &valueOf)
{
    for (const QString &column : columns) {
        if (!isWholeNumber(valueOf(column)))
            return column;
    }
    return QString();
}
