#include "api/EventAnswers.h"

#include "storage/EventStore.h"

namespace {

constexpr qint64 dayMs = 24LL * 60 * 60 * 1000;

} // namespace

qint64 EventAnswers::startOfLocalDay(const QDateTime& time)
{
    return QDateTime(time.toLocalTime().date(), QTime(0, 0)).toMSecsSinceEpoch();
}

HttpResponse EventAnswers::alerts()
{
    if (m_alerts.revision != m_events.revision()) {
        const std::optional<QList<SecurityAlert>> newest = m_events.newest(alertsListed);
        if (!newest)
            return HttpResponse::error(500, QStringLiteral("The events cannot be read"));
        m_alerts.response = HttpResponse::json(SecurityAlerts::toJson(*newest));
        m_alerts.revision = m_events.revision();
    }
    return m_alerts.response;
}

HttpResponse EventAnswers::stats(const QDateTime& now)
{
    const qint64 nowMs = now.toMSecsSinceEpoch();
    if (m_stats.revision == m_events.revision() && nowMs >= m_stats.fromMs && nowMs < m_stats.untilMs)
        return m_stats.response;
    m_stats.response = HttpResponse::json(m_events.stats(nowMs, startOfLocalDay(now)).toJson());
    m_stats.revision = m_events.revision();
    m_stats.fromMs = nowMs;
    m_stats.untilMs = QDateTime(now.toLocalTime().date().addDays(1), QTime(0, 0)).toMSecsSinceEpoch();
    // The last-24-hours count drops when the window's start passes its oldest event.
    if (const std::optional<qint64> oldest = m_events.oldestSince(nowMs - dayMs))
        m_stats.untilMs = qMin(m_stats.untilMs, *oldest + dayMs + 1);
    return m_stats.response;
}
