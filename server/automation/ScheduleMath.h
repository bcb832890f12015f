#pragma once

#include <QDateTime>
#include <QTimeZone>

// Automations run on the local wall clock at multiples of their interval counted from midnight (every
// 30 min: 00:00, 00:30, ...), the times the desktop's next-run estimate assumes. A time the clock
// shows twice (the repeated hour when summer time ends) is a run time both times, so runs keep their
// spacing through the night; a time it skips (when summer time starts) has no run.
namespace ScheduleMath {

// The first run time strictly after `after`, on the wall clock of `zone`.
QDateTime nextRunAfter(const QDateTime& after, int intervalMinutes,
                       const QTimeZone& zone = QTimeZone::systemTimeZone());

} // namespace ScheduleMath
