#include "app/StatusIcon.h"

#include "model/Timestamp.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

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

QString countText(int count)
{
    return count > 9 ? QStringLiteral("9+") : QString::number(count);
}

QColor color(Tint tint, const QColor& primary)
{
    switch (tint) {
    case Tint::Red:
        return QColor(255, 59, 48);
    case Tint::Orange:
        return QColor(255, 149, 0);
    case Tint::Primary:
        break;
    }
    return primary;
}

bool isDegraded(Tint tint)
{
    return tint == Tint::Red;
}

QString toolTip(Tint tint)
{
    return isDegraded(tint) ? QStringLiteral("Halvex: the local service is not answering")
                            : QStringLiteral("Halvex");
}

namespace {

// The shield in a square of side `s`.
QPainterPath shieldPath(qreal s)
{
    QPainterPath shield;
    shield.moveTo(0.5 * s, 0.06 * s);
    shield.lineTo(0.88 * s, 0.2 * s);
    shield.cubicTo(0.88 * s, 0.6 * s, 0.74 * s, 0.8 * s, 0.5 * s, 0.94 * s);
    shield.cubicTo(0.26 * s, 0.8 * s, 0.12 * s, 0.6 * s, 0.12 * s, 0.2 * s);
    shield.closeSubpath();
    return shield;
}

// Black or white, whichever stands out on `background`.
QColor contrasting(const QColor& background)
{
    const double luma = 0.299 * background.redF() + 0.587 * background.greenF() + 0.114 * background.blueF();
    return luma > 0.55 ? QColor(0, 0, 0) : QColor(255, 255, 255);
}

void drawBadge(QPainter& painter, const QString& text, const QColor& fill, qreal s)
{
    QFont font = painter.font();
    font.setPixelSize(std::max(6, int(std::lround(s * 0.45))));
    font.setBold(true);
    painter.setFont(font);
    const qreal height = s * 0.52;
    const qreal width = std::max(height, QFontMetricsF(font).horizontalAdvance(text) + s * 0.12);
    const QRectF badge(s - width, s - height, width, height);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(badge, height / 2, height / 2);
    painter.setPen(contrasting(fill));
    painter.drawText(badge, Qt::AlignCenter, text);
}

} // namespace

QPixmap renderPixmap(Tint tint, std::optional<int> count, const QColor& primary, int size,
                     qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    const qreal s = size;
    const QColor tone = color(tint, primary);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // With a count the shield keeps the upper left and the badge takes the corner below it.
    QPainterPath shield = shieldPath(count ? s * 0.85 : s);
    // A faint halo in the opposite tone keeps the shape visible on a panel of its own colour.
    QColor halo = contrasting(tone);
    halo.setAlphaF(0.35f);
    painter.strokePath(shield, QPen(halo, std::max(1.0, s / 16)));
    if (isDegraded(tint)) {
        painter.strokePath(shield, QPen(tone, std::max(1.5, s / 10)));
        painter.setPen(QPen(tone, std::max(1.5, s / 10), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0.2 * s, 0.85 * s), QPointF(0.8 * s, 0.15 * s));
    } else {
        painter.fillPath(shield, tone);
    }
    if (count)
        drawBadge(painter, countText(*count),
                  tint == Tint::Primary ? QColor::fromRgbF(0.369f, 0.361f, 0.902f) : tone, s);
    painter.end();
    return pixmap;
}

QIcon render(Tint tint, std::optional<int> count, const QColor& primary, qreal devicePixelRatio)
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(renderPixmap(tint, count, primary, size, devicePixelRatio));
    return icon;
}

} // namespace StatusIcon
