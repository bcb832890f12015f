#include "automation/ScheduleMath.h"

namespace ScheduleMath {

QDateTime nextRunAfter(const QDateTime& after, int intervalMinutes)
{
    const QDateTime local = after.toLocalTime();
    const int interval = qMax(1, intervalMinutes);
    for (int minutes = 0; minutes < 24 * 60; minutes += interval) {
        const QDateTime candidate(local.date(), QTime(minutes / 60, minutes % 60));
        if (candidate > local)
            return candidate;
    }
    return QDateTime(local.date().addDays(1), QTime(0, 0));
}

} // namespace ScheduleMath
