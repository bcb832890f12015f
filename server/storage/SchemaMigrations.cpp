#include "storage/SchemaMigrations.h"

namespace SchemaMigrations {
namespace {

// Counters kept by triggers let the statistics be read without scanning the events: per type, per
// application and per hour (hour = milliseconds since the epoch / 3,600,000).
QStringList version1()
{
    return {
        QStringLiteral("CREATE TABLE events ("
                       " id INTEGER PRIMARY KEY,"
                       " ts_ms INTEGER NOT NULL,"
                       " type TEXT NOT NULL,"
                       " app TEXT NOT NULL,"
                       " path TEXT NOT NULL DEFAULT '',"
                       " details TEXT)"),
        QStringLiteral("CREATE INDEX events_by_time ON events(ts_ms)"),
        QStringLiteral("CREATE TABLE event_counts_by_type (type TEXT PRIMARY KEY, count INTEGER NOT NULL) "
                       "WITHOUT ROWID"),
        QStringLiteral("CREATE TABLE event_counts_by_app (app TEXT PRIMARY KEY, count INTEGER NOT NULL) "
                       "WITHOUT ROWID"),
        QStringLiteral(
            "CREATE TABLE event_counts_by_hour (hour INTEGER PRIMARY KEY, count INTEGER NOT NULL)"),
        QStringLiteral("CREATE TRIGGER events_counted AFTER INSERT ON events BEGIN"
                       " INSERT INTO event_counts_by_type(type, count) VALUES (NEW.type, 1)"
                       "  ON CONFLICT(type) DO UPDATE SET count = count + 1;"
                       " INSERT INTO event_counts_by_app(app, count) VALUES (NEW.app, 1)"
                       "  ON CONFLICT(app) DO UPDATE SET count = count + 1;"
                       " INSERT INTO event_counts_by_hour(hour, count) VALUES (NEW.ts_ms / 3600000, 1)"
                       "  ON CONFLICT(hour) DO UPDATE SET count = count + 1;"
                       " END"),
        QStringLiteral("CREATE TRIGGER events_uncounted AFTER DELETE ON events BEGIN"
                       " UPDATE event_counts_by_type SET count = count - 1 WHERE type = OLD.type;"
                       " DELETE FROM event_counts_by_type WHERE type = OLD.type AND count <= 0;"
                       " UPDATE event_counts_by_app SET count = count - 1 WHERE app = OLD.app;"
                       " DELETE FROM event_counts_by_app WHERE app = OLD.app AND count <= 0;"
                       " UPDATE event_counts_by_hour SET count = count - 1 WHERE hour = OLD.ts_ms / 3600000;"
                       " DELETE FROM event_counts_by_hour WHERE hour = OLD.ts_ms / 3600000 AND count <= 0;"
                       " END"),
        QStringLiteral("CREATE TABLE automations ("
                       " id TEXT PRIMARY KEY,"
                       " skill_id TEXT NOT NULL UNIQUE,"
                       " name TEXT NOT NULL,"
                       " schedule TEXT NOT NULL,"
                       " interval_minutes INTEGER NOT NULL,"
                       " enabled INTEGER NOT NULL,"
                       " last_run_ms INTEGER,"
                       " last_result TEXT)"),
        QStringLiteral("CREATE TABLE custom_skills ("
                       " id TEXT PRIMARY KEY,"
                       " name TEXT NOT NULL,"
                       " emoji TEXT NOT NULL,"
                       " script TEXT NOT NULL,"
                       " created INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE config (key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID"),
    };
}

} // namespace

QStringList statementsForVersion(int version)
{
    switch (version) {
    case 1:
        return version1();
    default:
        return {};
    }
}

} // namespace SchemaMigrations
