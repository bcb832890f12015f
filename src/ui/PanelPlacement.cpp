#include "ui/PanelPlacement.h"

#include <algorithm>
#include <optional>

namespace PanelPlacement {
namespace {

// The icon's rectangle, or the clicked point as an empty one; nothing when neither lies on `screen`.
std::optional<QRect> anchorRect(QRect screen, const PanelAnchor& anchor)
{
    if (anchor.icon && anchor.icon->isValid() && screen.contains(anchor.icon->center()))
        return anchor.icon;
    if (anchor.click && screen.contains(*anchor.click))
        return QRect(*anchor.click, QSize(1, 1));
    return std::nullopt;
}

QPoint besideAnchor(QSize panel, QRect screen, QRect icon)
{
    const QPoint c = icon.center();
    const int toTop = c.y() - screen.top();
    const int toBottom = screen.bottom() - c.y();
    const int toLeft = c.x() - screen.left();
    const int toRight = screen.right() - c.x();
    const int nearest = std::min({toTop, toBottom, toLeft, toRight});
    if (nearest == toTop)
        return {c.x() - panel.width() / 2, icon.bottom() + 1};
    if (nearest == toBottom)
        return {c.x() - panel.width() / 2, icon.top() - panel.height()};
    if (nearest == toLeft)
        return {icon.right() + 1, c.y() - panel.height() / 2};
    return {icon.left() - panel.width(), c.y() - panel.height() / 2};
}

} // namespace

QPoint place(QSize panel, QRect screen, QRect available, const PanelAnchor& anchor)
{
    const std::optional<QRect> icon = anchorRect(screen, anchor);
    const QPoint origin = icon ? besideAnchor(panel, screen, *icon)
                               : QPoint(available.right() + 1 - panel.width(), available.top());
    const int x = std::clamp(origin.x(), available.left(),
                             std::max(available.left(), available.right() + 1 - panel.width()));
    const int y = std::clamp(origin.y(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - panel.height()));
    return {x, y};
}

LayerShellSurface::Placement layerPlacement(const PanelAnchor& anchor, QRect screen)
{
    // Without the compositor's word, a bar whose icon was clicked in the screen's lower half is at the
    // bottom; hosts that pass a position of their own (waybar's is inside the icon) read as the top.
    Qt::Edge edge = Qt::TopEdge;
    if (anchor.barEdge) {
        edge = *anchor.barEdge;
    } else if (const std::optional<QPoint> point = anchor.icon ? anchor.icon->center() : anchor.click) {
        if (screen.contains(*point) && point->y() > screen.center().y())
            edge = Qt::BottomEdge;
    }
    switch (edge) {
    case Qt::BottomEdge:
        return {Qt::BottomEdge | Qt::RightEdge, QMargins(0, 0, layerGap, layerGap)};
    case Qt::LeftEdge:
        return {Qt::LeftEdge | Qt::TopEdge, QMargins(layerGap, layerGap, 0, 0)};
    case Qt::RightEdge:
        return {Qt::RightEdge | Qt::TopEdge, QMargins(0, layerGap, layerGap, 0)};
    case Qt::TopEdge:
        break;
    }
    return {Qt::TopEdge | Qt::RightEdge, QMargins(0, layerGap, layerGap, 0)};
}

} // namespace PanelPlacement
