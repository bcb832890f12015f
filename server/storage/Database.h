#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <memory>

// The backend's SQLite database (backend.db in the data directory). The file is owner-only (it holds the
// bot token); the journal is a write-ahead log and every commit is synced, so a crash or a kill at any
// moment loses no committed row. The schema carries its version (PRAGMA user_version) and is brought
// up to date when opened; a database written by a newer halvexd is refused rather than touched.
class Database
{
public:
    static constexpr int schemaVersion = 1;

    // Nothing, with `error` set, when the file cannot be opened or migrated.
    static std::unique_ptr<Database> open(const QString& path, QString* error);
    ~Database();

    QSqlDatabase connection() const { return QSqlDatabase::database(m_connectionName, false); }

    // Runs `work` in one transaction: committed when it returns true, rolled back otherwise.
    bool inTransaction(const std::function<bool()>& work);

private:
    explicit Database(QString connectionName);
    bool configure(QString* error);
    bool migrate(QString* error);

    QString m_connectionName;
};
