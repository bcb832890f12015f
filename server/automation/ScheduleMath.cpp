#include "automation/ScheduleMath.h"

#include <optional>

namespace ScheduleMath {
namespace {

constexpr qint64 minuteMs = 60'000;
constexpr qint64 halfDayMs = 12 * 60 * minuteMs;

// Every instant at which the wall clock of `zone` shows `wallMs` (the wall time read as if it were
// UTC): none in a skipped hour, two in a repeated one. The offsets in force half a day before and
// after are the only ones that can apply.
QList<qint64> instantsOf(qint64 wallMs, const QTimeZone& zone)
{
    QList<qint64> instants;
    for (qint64 probe : {wallMs - halfDayMs, wallMs + halfDayMs}) {
        const int offset = zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(probe, Qt::UTC));
        const qint64 instant = wallMs - qint64(offset) * 1000;
        if (zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(instant, Qt::UTC)) == offset &&
            !instants.contains(instant))
            instants.append(instant);
    }
    return instants;
}

} // namespace

QDateTime nextRunAfter(const QDateTime& after, int intervalMinutes, const QTimeZone& zone)
{
    const qint64 afterMs = after.toMSecsSinceEpoch();
    const int interval = qMax(1, intervalMinutes);
    const QDate firstDay = after.toTimeZone(zone).date();
    // The wall date of an instant shortly after `after` may be the next day.
    for (int day = 0; day < 3; ++day) {
        const qint64 midnightWall =
            QDateTime(firstDay.addDays(day), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
        std::optional<qint64> earliest;
        for (int minutes = 0; minutes < 24 * 60; minutes += interval) {
            for (qint64 instant : instantsOf(midnightWall + minutes * minuteMs, zone)) {
                if (instant > afterMs && (!earliest || instant < *earliest))
                    earliest = instant;
            }
        }
        if (earliest)
            return QDateTime::fromMSecsSinceEpoch(*earliest, zone);
    }
    return {};
}

} // namespace ScheduleMath
