#include "storage/EventStore.h"

#include "model/Timestamp.h"

#include <QSqlQuery>
#include <QVariant>

namespace {

constexpr qint64 hourMs = 3'600'000;
constexpr qint64 dayMs = 24 * hourMs;

QJsonObject toJsonObject(const QMap<QString, qint64>& counts)
{
    QJsonObject object;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

} // namespace

QJsonObject EventStats::toJson() const
{
    return {{QStringLiteral("total"), total},
            {QStringLiteral("today"), today},
            {QStringLiteral("last24h"), last24h},
            {QStringLiteral("byType"), toJsonObject(byType)},
            {QStringLiteral("byApp"), toJsonObject(byApp)}};
}

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
    return query.exec();
}

QList<SecurityAlert> EventStore::newest(int limit) const
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT ts_ms, type, app, path, details FROM events "
                                 "ORDER BY ts_ms DESC, id DESC LIMIT ?"));
    query.addBindValue(limit);
    QList<SecurityAlert> alerts;
    if (!query.exec())
        return alerts;
    while (query.next()) {
        const QVariant details = query.value(4);
        alerts.append(
            {query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
             Timestamp::format(QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong(), Qt::UTC)),
             details.isNull() ? std::nullopt : std::optional<QString>(details.toString())});
    }
    return alerts;
}

// Whole hours come from the hourly counters; only the part of the first hour after `startMs` is
// counted from the time index, so the cost does not grow with the number of events in the range.
qint64 EventStore::countSince(qint64 startMs) const
{
    const qint64 firstWholeHour = (startMs + hourMs - 1) / hourMs;
    QSqlQuery partial(m_db);
    partial.setForwardOnly(true);
    partial.prepare(QStringLiteral("SELECT COUNT(*) FROM events WHERE ts_ms >= ? AND ts_ms < ?"));
    partial.addBindValue(startMs);
    partial.addBindValue(firstWholeHour * hourMs);
    QSqlQuery whole(m_db);
    whole.setForwardOnly(true);
    whole.prepare(QStringLiteral("SELECT COALESCE(SUM(count), 0) FROM event_counts_by_hour WHERE hour >= ?"));
    whole.addBindValue(firstWholeHour);
    if (!partial.exec() || !partial.next() || !whole.exec() || !whole.next())
        return 0;
    return partial.value(0).toLongLong() + whole.value(0).toLongLong();
}

QMap<QString, qint64> EventStore::countsOf(const QString& table, const QString& keyColumn) const
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    QMap<QString, qint64> counts;
    if (!query.exec(QStringLiteral("SELECT %1, count FROM %2").arg(keyColumn, table)))
        return counts;
    while (query.next())
        counts.insert(query.value(0).toString(), query.value(1).toLongLong());
    return counts;
}

EventStats EventStore::stats(qint64 nowMs, qint64 dayStartMs) const
{
    EventStats stats;
    stats.byType = countsOf(QStringLiteral("event_counts_by_type"), QStringLiteral("type"));
    stats.byApp = countsOf(QStringLiteral("event_counts_by_app"), QStringLiteral("app"));
    for (qint64 count : std::as_const(stats.byType))
        stats.total += count;
    stats.today = countSince(dayStartMs);
    stats.last24h = countSince(nowMs - dayMs);
    return stats;
}

int EventStore::removeOlderThan(qint64 cutoffMs)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("DELETE FROM events WHERE ts_ms < ?"));
    query.addBindValue(cutoffMs);
    return query.exec() ? query.numRowsAffected() : -1;
}
