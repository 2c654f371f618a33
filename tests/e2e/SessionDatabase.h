#pragma once

#include "../QueryColumn.h"
#include "../ScratchDirectory.h"
#include "storage/Connection.h"

#include <QDir>

// Reads and prepares the database file of a program session from the test process.
class SessionDatabase
{
public:
    explicit SessionDatabase(const QString &directory)
    {
        ScratchDirectory::dropDatabaseConnection();
        QDir::setCurrent(directory);
        connection = std::make_unique<Connection>(nullptr);
    }
    ~SessionDatabase()
    {
        connection.reset();
        ScratchDirectory::dropDatabaseConnection();
        QDir::setCurrent(previous);
    }

    Connection &db() { return *connection; }
    // The values of the first column of a statement's rows.
    QStringList column(const QString &statement)
    {
        return connection->openDatabase() ? queryColumn(statement) : QStringList();
    }

private:
    const QString previous = QDir::currentPath();
    std::unique_ptr<Connection> connection;
};
