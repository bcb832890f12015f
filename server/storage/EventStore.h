#pragma once

#include "model/SecurityAlert.h"

#include <QJsonObject>
#include <QMap>
#include <QSqlDatabase>

#include <optional>

// The dashboard's counters, as the client decodes them.
struct EventStats
{
    qint64 total = 0;
    qint64 today = 0;
    qint64 last24h = 0;
    QMap<QString, qint64> byType;
    QMap<QString, qint64> byApp;

    QJsonObject toJson() const;
};

// The stored accesses. Times are milliseconds since the epoch (UTC).
class EventStore
{
public:
    explicit EventStore(QSqlDatabase db) : m_db(std::move(db)) {}

    bool add(const QString& type, const QString& app, const std::optional<QString>& details, qint64 timeMs,
             const QString& path = {});
    // The newest `limit` events, newest first.
    QList<SecurityAlert> newest(int limit) const;
    // `dayStartMs` is the start of the local day that holds `nowMs`.
    EventStats stats(qint64 nowMs, qint64 dayStartMs) const;
    // Events older than `cutoffMs` are deleted; returns how many, or -1 on failure.
    int removeOlderThan(qint64 cutoffMs);

private:
    qint64 countSince(qint64 startMs) const;
    QMap<QString, qint64> countsOf(const QString& table, const QString& keyColumn) const;

    QSqlDatabase m_db;
};
