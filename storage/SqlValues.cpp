#include "storage/SqlValues.h"

#include "storage/RecordKeys.h"

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
        Column::Id,           Column::OrderT,          Column::LeaseSecond,
        Column::TimerMode,    Column::RepeatMode,      Column::RepeatTimeDayMonthYearInSecond,
        Column::RepeatExcept, Column::From1970Seconds, Column::ConditionSpeed,
        Column::AppPositionT, Column::EnableState,     Column::OperationType,
        Column::Timestamp,    Column::OperationIndex,  Column::IsFile,
        Column::Usefully,
    };
    return columns.contains(column);
}

QVariant SqlValues::bindValue(const QString &column, const QString &value)
{
    if (isIntegerColumn(column) && isWholeNumber(value))
        return QVariant(value.trimmed().toLongLong());
    return QVariant(value);
}

QString SqlValues::firstBadInteger(const QStringList &columns, const std::function<QString(const QString &)> &valueOf)
{
    for (const QString &column : columns) {
        if (!isWholeNumber(valueOf(column)))
            return column;
    }
    return QString();
}
