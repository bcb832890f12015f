#pragma once

#include "backend/BackendRecords.h"
#include "model/SecurityAlert.h"

#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <optional>

// The stored accesses. Times are milliseconds since the epoch (UTC). The reading statements are
// prepared once: the dashboard asks for the counters every few seconds.
class EventStore
{
public:
    explicit EventStore(QSqlDatabase db) : m_db(std::move(db)) {}

    bool add(const QString& type, const QString& app, const std::optional<QString>& details, qint64 timeMs,
             const QString& path = {});
    // The newest `limit` events, newest first; nothing when they cannot be read.
    std::optional<QList<SecurityAlert>> newest(int limit) const;
    // `dayStartMs` is the start of the local day that holds `nowMs`.
    DashboardStats stats(qint64 nowMs, qint64 dayStartMs) const;
    // The time of the oldest event at or after `startMs`; nothing when there is none.
    std::optional<qint64> oldestSince(qint64 startMs) const;
    // Events older than `cutoffMs` are deleted, the oldest first and at most `limit` of them (-1: all);
    // returns how many, or -1 on failure.
    int removeOlderThan(qint64 cutoffMs, int limit = -1);
    // Changes with every change of the stored events made through this store (halvexd is the
    // database's only writer while it runs), so readers can keep what they derived from them.
    quint64 revision() const { return m_revision; }

private:
    qint64 countSince(qint64 startMs) const;
    QMap<QString, qint64> countsOf(QSqlQuery& query) const;
    QSqlQuery& prepared(std::optional<QSqlQuery>& slot, const QString& statement) const;

    QSqlDatabase m_db;
    quint64 m_revision = 0;
    mutable std::optional<QSqlQuery> m_newest;
    mutable std::optional<QSqlQuery> m_partialHour;
    mutable std::optional<QSqlQuery> m_wholeHours;
    mutable std::optional<QSqlQuery> m_byType;
    mutable std::optional<QSqlQuery> m_byApp;
    mutable std::optional<QSqlQuery> m_oldest;
};
