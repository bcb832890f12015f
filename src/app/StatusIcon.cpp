#include "app/StatusIcon.h"

#include "model/Timestamp.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace StatusIcon {
namespace {
constexpr qint64 recentEventSeconds = 300;
}

Tint tint(bool isConnected, const QList<SecurityAlert>& backendAlerts, const QDateTime& now)
{
    if (!isConnected)
        return Tint::Red;
    if (backendAlerts.isEmpty())
        return Tint::Primary;
    const auto newest = Timestamp::parse(backendAlerts.first().timestamp);
    if (!newest)
        return Tint::Primary;
    return newest->secsTo(now) < recentEventSeconds ? Tint::Orange : Tint::Primary;
}

std::optional<int> badgeCount(std::optional<int> statsToday)
{
    if (statsToday && *statsToday >= 1)
        return statsToday;
    return std::nullopt;
}

QColor color(Tint tint)
{
    switch (tint) {
    case Tint::Red:
        return QColor(255, 59, 48);
    case Tint::Orange:
        return QColor(255, 149, 0);
    case Tint::Primary:
        break;
    }
    return QColor(235, 235, 240);
}

QIcon render(Tint tint, std::optional<int> count, qreal devicePixelRatio)
{
    const QString text = count ? QString::number(*count) : QString();
    const int height = 22;
    const int width = text.isEmpty() ? height : height + 6 + 7 * int(text.size());
    QPixmap pixmap(QSize(width, height) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shield;
    shield.moveTo(11, 2);
    shield.lineTo(19, 5);
    shield.cubicTo(19, 13, 16, 17.5, 11, 20);
    shield.cubicTo(6, 17.5, 3, 13, 3, 5);
    shield.closeSubpath();
    painter.fillPath(shield, color(tint));
    if (!text.isEmpty()) {
        QFont font = painter.font();
        font.setPixelSize(11);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(color(tint));
        painter.drawText(QRect(height, 0, width - height, height), Qt::AlignVCenter | Qt::AlignLeft, text);
    }
    painter.end();
    return QIcon(pixmap);
}

} // namespace StatusIcon
