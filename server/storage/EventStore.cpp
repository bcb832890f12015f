#include "storage/EventStore.h"

#include "model/Timestamp.h"
#include "storage/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

constexpr qint64 hourMs = 3'600'000;
constexpr qint64 dayMs = 24 * hourMs;

} // namespace

bool EventStore::add(const QString& type, const QString& app, const std::optional<QString>& details,
                     qint64 timeMs, const QString& path)
{
    QSqlQuery query(m_db);
    query.prepare(
        QStringLiteral("INSERT INTO events(ts_ms, type, app, path, details) VALUES (?, ?, ?, ?, ?)"));
    query.addBindValue(timeMs);
    query.addBindValue(type);
    query.addBindValue(app);
    // A null QString binds as SQL NULL; the column holds an empty text instead.
    query.addBindValue(path.isNull() ? QString(QLatin1String("")) : path);
    query.addBindValue(details ? QVariant(*details) : QVariant(QMetaType(QMetaType::QString)));
    if (!query.exec()) {
        Database::reportDamage(m_db, query.lastError());
        return false;
    }
    ++m_revision;
    return true;
}

QSqlQuery& EventStore::prepared(std::optional<QSqlQuery>& slot, const QString& statement) const
{
    if (!slot) {
        slot.emplace(m_db);
        slot->setForwardOnly(true);
        slot->prepare(statement);
    }
    return *slot;
}

std::optional<QList<SecurityAlert>> EventStore::newest(int limit) const
{
    QSqlQuery& query = prepared(m_newest, QStringLiteral("SELECT ts_ms, type, app, path, details FROM events "
                                                         "ORDER BY ts_ms DESC, id DESC LIMIT ?"));
    query.addBindValue(limit);
    QList<SecurityAlert> alerts;
    alerts.reserve(limit);
    if (!query.exec()) {
        Database::reportDamage(m_db, query.lastError());
        return std::nullopt;
    }
    while (query.next()) {
        const QVariant details = query.value(4);
        alerts.append(
            {query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
             Timestamp::format(QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong(), Qt::UTC)),
             details.isNull() ? std::nullopt : std::optional<QString>(details.toString())});
    }
    if (query.lastError().isValid()) {
        Database::reportDamage(m_db, query.lastError());
        return std::nullopt;
    }
    return alerts;
}

// Whole hours come from the hourly counters; only the part of the first hour after `startMs` is
// counted from the time index, so the cost does not grow with the number of events in the range.
qint64 EventStore::countSince(qint64 startMs) const
{
    const qint64 firstWholeHour = (startMs + hourMs - 1) / hourMs;
    QSqlQuery& partial =
        prepared(m_partialHour, QStringLiteral("SELECT COUNT(*) FROM events WHERE ts_ms >= ? AND ts_ms < ?"));
    partial.addBindValue(startMs);
    partial.addBindValue(firstWholeHour * hourMs);
    QSqlQuery& whole =
        prepared(m_wholeHours,
                 QStringLiteral("SELECT COALESCE(SUM(count), 0) FROM event_counts_by_hour WHERE hour >= ?"));
    whole.addBindValue(firstWholeHour);
    qint64 count = 0;
    if (partial.exec() && partial.next() && whole.exec() && whole.next())
        count = partial.value(0).toLongLong() + whole.value(0).toLongLong();
    partial.finish();
    whole.finish();
    return count;
}

QMap<QString, qint64> EventStore::countsOf(QSqlQuery& query) const
{
    QMap<QString, qint64> counts;
    if (!query.exec())
        return counts;
    while (query.next())
        counts.insert(query.value(0).toString(), query.value(1).toLongLong());
    query.finish();
    return counts;
}

DashboardStats EventStore::stats(qint64 nowMs, qint64 dayStartMs) const
{
    DashboardStats stats;
    stats.byType =
        countsOf(prepared(m_byType, QStringLiteral("SELECT type, count FROM event_counts_by_type")));
    stats.byApp = countsOf(prepared(m_byApp, QStringLiteral("SELECT app, count FROM event_counts_by_app")));
    for (qint64 count : std::as_const(stats.byType))
        stats.total += count;
    stats.today = countSince(dayStartMs);
    stats.last24h = countSince(nowMs - dayMs);
    return stats;
}

std::optional<qint64> EventStore::oldestSince(qint64 startMs) const
{
    QSqlQuery& query = prepared(m_oldest, QStringLiteral("SELECT MIN(ts_ms) FROM events WHERE ts_ms >= ?"));
    query.addBindValue(startMs);
    std::optional<qint64> oldest;
    if (query.exec() && query.next() && !query.value(0).isNull())
        oldest = query.value(0).toLongLong();
    query.finish();
    return oldest;
}

int EventStore::removeOlderThan(qint64 cutoffMs, int limit)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("DELETE FROM events WHERE id IN (SELECT id FROM events WHERE ts_ms < ? "
                                 "ORDER BY ts_ms LIMIT ?)"));
    query.addBindValue(cutoffMs);
    query.addBindValue(limit);
    if (!query.exec()) {
        Database::reportDamage(m_db, query.lastError());
        return -1;
    }
    if (query.numRowsAffected() > 0)
        ++m_revision;
    return query.numRowsAffected();
}
