#include "storage/Database.h"

#include "storage/SchemaMigrations.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QAtomicInteger<int> connectionCounter;

// SQLite gives its -wal and -shm files the mode of the database file, so making this one owner-only
// covers all three.
void createOwnerOnly(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    ::chmod(native.constData(), 0600);
}

bool execute(QSqlDatabase db, const QString& statement, QString* error)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

} // namespace

Database::Database(QString connectionName) : m_connectionName(std::move(connectionName)) {}

Database::~Database()
{
    {
        QSqlDatabase db = connection();
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

std::unique_ptr<Database> Database::open(const QString& path, QString* error)
{
    createOwnerOnly(path);
    const QString name = QStringLiteral("halvexd-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    std::unique_ptr<Database> database(new Database(name));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
            return nullptr;
        }
    }
    if (!database->configure(error) || !database->migrate(error))
        return nullptr;
    return database;
}

bool Database::configure(QString* error)
{
    QSqlQuery mode(connection());
    if (!mode.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !mode.next() ||
        mode.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        if (error)
            *error = QStringLiteral("the database cannot use a write-ahead log");
        return false;
    }
    return execute(connection(), QStringLiteral("PRAGMA synchronous=FULL"), error) &&
           execute(connection(), QStringLiteral("PRAGMA foreign_keys=ON"), error);
}

bool Database::migrate(QString* error)
{
    QSqlQuery versionQuery(connection());
    if (!versionQuery.exec(QStringLiteral("PRAGMA user_version")) || !versionQuery.next()) {
        if (error)
            *error = versionQuery.lastError().text();
        return false;
    }
    const int current = versionQuery.value(0).toInt();
    versionQuery.finish();
    if (current > schemaVersion) {
        if (error)
            *error = QStringLiteral("the database has schema version %1; this halvexd knows up to %2")
                         .arg(current)
                         .arg(schemaVersion);
        return false;
    }
    for (int version = current + 1; version <= schemaVersion; ++version) {
        const bool migrated = inTransaction([&]() {
            for (const QString& statement : SchemaMigrations::statementsForVersion(version)) {
                if (!execute(connection(), statement, error))
                    return false;
            }
            return execute(connection(), QStringLiteral("PRAGMA user_version=%1").arg(version), error);
        });
        if (!migrated)
            return false;
    }
    return true;
}

bool Database::inTransaction(const std::function<bool()>& work)
{
    QSqlDatabase db = connection();
    if (!db.transaction())
        return false;
    if (!work()) {
        db.rollback();
        return false;
    }
    return db.commit() || (db.rollback(), false);
}
