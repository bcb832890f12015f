#pragma once

#include <QDateTime>

// Automations run on the local wall clock at multiples of their interval counted from midnight (every
// 30 min: 00:00, 00:30, ...), the times the desktop's next-run estimate assumes.
namespace ScheduleMath {

// The first run time strictly after `after`.
QDateTime nextRunAfter(const QDateTime& after, int intervalMinutes);

} // namespace ScheduleMath
