#include "storage/Database.h"

#include "platform/Diagnostics.h"
#include "storage/SchemaMigrations.h"

#include <QAtomicInteger>
#include <QDateTime>
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

bool execute(QSqlDatabase db, const QString& statement, QString* error, bool* damaged = nullptr)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    if (error)
        *error = query.lastError().text();
    if (damaged)
        *damaged = Database::isDamage(query.lastError());
    return false;
}

QString damageMarker(const QString& path)
{
    return path + QStringLiteral(".damaged");
}

// The database, its write-ahead log and its shared memory index go aside together: the log belongs
// to that file and would be replayed into the fresh one otherwise.
QString moveAside(const QString& path)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString aside = path + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(path + suffix))
            QFile::rename(path + suffix, aside + suffix);
    }
    QFile::remove(damageMarker(path));
    return QFileInfo(aside).fileName();
}

QAtomicInteger<int> damageReported;

} // namespace

bool Database::isDamage(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xFF;
    return ok && (code == 11 /* SQLITE_CORRUPT */ || code == 26 /* SQLITE_NOTADB */);
}

void Database::reportDamage(const QSqlDatabase& db, const QSqlError& error)
{
    if (!isDamage(error))
        return;
    QFile marker(damageMarker(db.databaseName()));
    marker.open(QIODevice::WriteOnly);
    if (damageReported.fetchAndStoreRelaxed(1) == 0)
        Diagnostics::print(QStringLiteral("[halvexd] the database %1 is damaged (%2); it is moved aside at "
                                          "the next start")
                               .arg(db.databaseName(), error.text()));
}

Database::Database(QString connectionName) : m_connectionName(std::move(connectionName)) {}

Database::~Database()
{
    disconnect();
}

std::unique_ptr<Database> Database::open(const QString& path, QString* error)
{
    const QString name = QStringLiteral("halvexd-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    std::unique_ptr<Database> database(new Database(name));
    QString recoveredAs;
    if (QFileInfo::exists(damageMarker(path)))
        recoveredAs = moveAside(path);
    bool damaged = false;
    if (!database->connect(path, error, &damaged)) {
        if (!damaged || !recoveredAs.isEmpty())
            return nullptr;
        database->disconnect();
        recoveredAs = moveAside(path);
        if (!database->connect(path, error, &damaged))
            return nullptr;
    }
    database->m_recoveredAs = recoveredAs;
    return database;
}

bool Database::connect(const QString& path, QString* error, bool* damaged)
{
    createOwnerOnly(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
            return false;
        }
    }
    return configure(error, damaged) && migrate(error);
}

void Database::disconnect()
{
    {
        QSqlDatabase db = connection();
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool Database::configure(QString* error, bool* damaged)
{
    QSqlQuery mode(connection());
    if (!mode.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !mode.next() ||
        mode.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        *damaged = isDamage(mode.lastError());
        if (error)
            *error =
                QStringLiteral("the database cannot use a write-ahead log: %1").arg(mode.lastError().text());
        return false;
    }
    mode.finish();
    // Pages overwritten by a crash of the disk or another program would otherwise read as missing rows.
    QSqlQuery check(connection());
    if (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next()) {
        *damaged = isDamage(check.lastError());
        if (error)
            *error = check.lastError().text();
        return false;
    }
    if (check.value(0).toString() != QLatin1String("ok")) {
        *damaged = true;
        if (error)
            *error = QStringLiteral("the database failed its check: %1").arg(check.value(0).toString());
        return false;
    }
    check.finish();
    // The check reads every page through the page cache; what it filled is not what serving will
    // want, and would stay resident for the life of the service.
    execute(connection(), QStringLiteral("PRAGMA shrink_memory"), nullptr, damaged);
    return execute(connection(), QStringLiteral("PRAGMA synchronous=FULL"), error, damaged) &&
           execute(connection(), QStringLiteral("PRAGMA foreign_keys=ON"), error, damaged);
}

void Database::releaseCache()
{
    execute(connection(), QStringLiteral("PRAGMA shrink_memory"), nullptr);
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
