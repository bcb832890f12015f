#pragma once

#include "model/SecurityAlert.h"

#include <QColor>
#include <QDateTime>
#include <QIcon>
#include <QList>

#include <optional>

// The status-bar shield: its tint tells the backend's state at a glance, and today's event count
// stands beside it.
namespace StatusIcon {

enum class Tint { Primary, Red, Orange };

// Red when the backend was unreachable at the last connection check; orange while the newest backend
// event is less than five minutes old; otherwise plain.
Tint tint(bool isConnected, const QList<SecurityAlert>& backendAlerts, const QDateTime& now);

// The number shown beside the shield: today's count when at least 1, otherwise nothing.
std::optional<int> badgeCount(std::optional<int> statsToday);

QColor color(Tint tint);
QIcon render(Tint tint, std::optional<int> count, qreal devicePixelRatio = 1.0);

} // namespace StatusIcon
