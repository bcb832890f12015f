#pragma once

#include <QSqlDatabase>
#include <QSqlError>
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

    // Nothing, with `error` set, when the file cannot be opened or migrated. A damaged file (pages that
    // fail the quick check, not a database at all, or marked damaged by reportDamage) is moved aside
    // with its -wal and -shm as "<name>.corrupt-<UTC time>" and a fresh database takes its place.
    static std::unique_ptr<Database> open(const QString& path, QString* error);
    ~Database();

    // The file name the damaged database was moved to when this open recovered; empty otherwise.
    QString recoveredAs() const { return m_recoveredAs; }

    // True when a statement failed because the file is damaged.
    static bool isDamage(const QSqlError& error);
    // Called by the stores with the error of a failed statement: damage marks the file, so the next
    // start moves it aside, and is logged once.
    static void reportDamage(const QSqlDatabase& db, const QSqlError& error);

    QSqlDatabase connection() const { return QSqlDatabase::database(m_connectionName, false); }

    // Runs `work` in one transaction: committed when it returns true, rolled back otherwise.
    bool inTransaction(const std::function<bool()>& work);

    // Hands back the page cache that reads have filled; the next read fills it again as needed.
    void releaseCache();

private:
    explicit Database(QString connectionName);
    bool connect(const QString& path, QString* error, bool* damaged);
    void disconnect();
    bool configure(QString* error, bool* damaged);
    bool migrate(QString* error);

    QString m_connectionName;
    QString m_recoveredAs;
};
