#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

// The first column of each row a statement gives on the default connection; "<failed>" if it fails.
inline QStringList queryColumn(const QString &statement)
{
    QStringList values;
    QSqlQuery query(QSqlDatabase::database());
    if (!query.exec(statement))
        return {QStringLiteral("<failed>")};
    while (query.next())
        values << query.value(0).toString();
    return values;
}
