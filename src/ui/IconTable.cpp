#include "ui/IconTable.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace IconTable {
namespace {
struct IconEntry
{
    const char* symbol;
    const char* file;
};
const IconEntry iconTable[] = {
    {"1.circle.fill", "number-circle-one-fill"},
    {"2.circle.fill", "number-circle-two-fill"},
    {"3.circle.fill", "number-circle-three-fill"},
    {"antenna.radiowaves.left.and.right", "broadcast"},
    {"arrow.clockwise", "arrow-clockwise"},
    {"arrow.counterclockwise", "arrow-counter-clockwise"},
    {"arrow.down.circle.fill", "arrow-circle-down-fill"},
    {"arrow.right.circle.fill", "arrow-circle-right-fill"},
    {"arrow.up.circle", "arrow-circle-up"},
    {"arrow.up.circle.fill", "arrow-circle-up-fill"},
    {"arrow.up.right.square", "arrow-square-up-right"},
    {"bell.badge.fill", "bell-ringing-fill"},
    {"bell.fill", "bell-fill"},
    {"bolt.fill", "lightning-fill"},
    {"bolt.slash.fill", "lightning-slash-fill"},
    {"briefcase.fill", "briefcase-fill"},
    {"camera", "camera"},
    {"camera.fill", "camera-fill"},
    {"checkmark", "check"},
    {"checkmark.circle.fill", "check-circle-fill"},
    {"checkmark.shield.fill", "shield-check-fill"},
    {"checkmark.square.fill", "check-square-fill"},
    {"chevron.down", "caret-down"},
    {"chevron.right", "caret-right"},
    {"chevron.up", "caret-up"},
    {"clock.arrow.2.circlepath", "clock-counter-clockwise"},
    {"clock.badge.xmark", "clock-countdown"},
    {"clock.fill", "clock-fill"},
    {"cpu", "cpu"},
    {"display", "monitor"},
    {"doc.badge.gearshape.fill", "file-magnifying-glass-fill"},
    {"doc.on.clipboard", "clipboard-text"},
    {"doc.on.doc", "copy"},
    {"exclamationmark.circle.fill", "warning-circle-fill"},
    {"exclamationmark.triangle.fill", "warning-fill"},
    {"eye.fill", "eye-fill"},
    {"flame.fill", "flame-fill"},
    {"gearshape.fill", "gear-six-fill"},
    {"globe", "globe"},
    {"hand.raised.fill", "hand-palm-fill"},
    {"info.circle", "info"},
    {"info.circle.fill", "info-fill"},
    {"location.fill", "map-pin-fill"},
    {"lock.fill", "lock-fill"},
    {"lock.shield.fill", "shield-check-fill"},
    {"lock.slash.fill", "lock-open-fill"},
    {"message.fill", "chat-circle-fill"},
    {"mic.fill", "microphone-fill"},
    {"network", "globe"},
    {"number", "hash"},
    {"paperplane.circle.fill", "telegram-logo-fill"},
    {"paperplane.fill", "paper-plane-tilt-fill"},
    {"pencil", "pencil-simple"},
    {"person.3.fill", "users-three-fill"},
    {"phone.fill", "phone-fill"},
    {"play.circle.fill", "play-circle-fill"},
    {"plus", "plus"},
    {"power", "power"},
    {"progress.indicator", "circle-notch-bold"},
    {"record.circle", "record"},
    {"rectangle.on.rectangle.fill", "cards-fill"},
    {"safari.fill", "compass-fill"},
    {"scroll.fill", "scroll-fill"},
    {"shield.fill", "shield-fill"},
    {"shield.slash.fill", "shield-slash-fill"},
    {"slider.horizontal.3", "sliders-horizontal"},
    {"sparkles", "sparkle"},
    {"square", "square"},
    {"square.grid.2x2.fill", "squares-four-fill"},
    {"stop.circle.fill", "stop-circle-fill"},
    {"terminal.fill", "terminal-window-fill"},
    {"thermometer.medium", "thermometer-simple"},
    {"trash", "trash"},
    {"video.circle.fill", "video-camera-fill"},
    {"video.fill", "video-camera-fill"},
    {"xmark.circle", "x-circle"},
    {"xmark.circle.fill", "x-circle-fill"},
    {"xmark.shield.fill", "shield-warning-fill"},
};
} // namespace

QString iconPath(const QString& symbol)
{
    for (const IconEntry& entry : iconTable) {
        if (symbol == QLatin1String(entry.symbol))
            return QStringLiteral(":/Halvex/Ui/icons/") + QLatin1String(entry.file) + QStringLiteral(".svg");
    }
    return {};
}

QStringList symbols()
{
    QStringList names;
    for (const IconEntry& entry : iconTable)
        names << QLatin1String(entry.symbol);
    return names;
}

} // namespace IconTable

IconItem::IconItem(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void IconItem::setName(const QString& name)
{
    if (name == m_name)
        return;
    m_name = name;
    reload();
    Q_EMIT nameChanged();
}

void IconItem::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
    Q_EMIT colorChanged();
}

void IconItem::reload()
{
    QFile file(IconTable::iconPath(m_name));
    m_svg = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    update();
}

void IconItem::paint(QPainter* painter)
{
    if (m_svg.isEmpty())
        return;
    // Phosphor draws in currentColor: the tint is the colour put in its place.
    QByteArray tinted = m_svg;
    tinted.replace("currentColor", m_color.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(tinted);
    painter->setOpacity(m_color.alphaF());
    renderer.render(painter, QRectF(0, 0, width(), height()));
}
