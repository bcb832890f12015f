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
// The badge's text: at most two characters, "9+" beyond nine, so it stays legible at tray size.
QString countText(int count);

// The plain shield takes `primary`, the desktop's text colour, so it reads on light and dark panels.
QColor color(Tint tint, const QColor& primary);
// Red means the backend does not answer: the shield is drawn hollow and struck through, a look of
// its own rather than a recoloured "all fine".
bool isDegraded(Tint tint);
QString toolTip(Tint tint);
// The icon drawn for each common tray size at `devicePixelRatio`, the count as a badge over the
// shield's corner (trays give an icon a square).
QIcon render(Tint tint, std::optional<int> count, const QColor& primary, qreal devicePixelRatio = 1.0);
QPixmap renderPixmap(Tint tint, std::optional<int> count, const QColor& primary, int size,
                     qreal devicePixelRatio = 1.0);

} // namespace StatusIcon
