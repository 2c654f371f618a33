#pragma once

#include <QDir>
#include <QSqlDatabase>
#include <QTemporaryDir>

// A fresh, empty working directory for one test; the previous one comes back afterwards and
// the process-wide database connection is dropped, so "database.db" never leaks between tests.
class ScratchDirectory
{
public:
    ScratchDirectory()
        : previous(QDir::currentPath())
    {
        dropDatabaseConnection();
        QDir::setCurrent(directory.path());
    }

    ~ScratchDirectory()
    {
        dropDatabaseConnection();
        QDir::setCurrent(previous);
    }

    QString path() const { return directory.path(); }
    QString filePath(const QString &name) const { return directory.filePath(name); }

    static void dropDatabaseConnection()
    {
        if (QSqlDatabase::contains(QSqlDatabase::defaultConnection)) {
            QSqlDatabase::database(QSqlDatabase::defaultConnection, false).close();
            QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
        }
    }

private:
    QString previous;
    QTemporaryDir directory;
};
