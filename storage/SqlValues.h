#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

// Checks on the values callers hand to the database: keys must be plain column names and
// integer columns must hold whole numbers, so that nothing a caller passes can change a
// statement or slip text into a number column.
class SqlValues final
{
public:
    static bool isIdentifier(const QString &key);
    static bool isWholeNumber(const QString &value);
    static bool isIntegerColumn(const QString &column);
    // The value to bind for a column: a 64-bit integer for integer columns, the text otherwise.
    static QVariant bindValue(const QString &column, const QString &value);
    // The first of the given integer columns whose value is not a whole number, or empty.
    static QString firstBadInteger(const QStringList &columns, const std::function<QString(const QString &)> &valueOf);
};
