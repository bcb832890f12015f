#include "ui/PanelPlacement.h"

#include <algorithm>

namespace PanelPlacement {

QPoint place(QSize panel, QRect available, std::optional<QPoint> cursor)
{
    QPoint origin(available.right() + 1 - panel.width(), available.top());
    if (cursor && available.contains(*cursor)) {
        const QPoint c = *cursor;
        const int toTop = c.y() - available.top();
        const int toBottom = available.bottom() - c.y();
        const int toLeft = c.x() - available.left();
        const int toRight = available.right() - c.x();
        const int nearest = std::min({toTop, toBottom, toLeft, toRight});
        if (nearest == toTop)
            origin = QPoint(c.x() - panel.width() / 2, available.top());
        else if (nearest == toBottom)
            origin = QPoint(c.x() - panel.width() / 2, available.bottom() + 1 - panel.height());
        else if (nearest == toLeft)
            origin = QPoint(available.left(), c.y() - panel.height() / 2);
        else
            origin = QPoint(available.right() + 1 - panel.width(), c.y() - panel.height() / 2);
    }
    const int x = std::clamp(origin.x(), available.left(),
                             std::max(available.left(), available.right() + 1 - panel.width()));
    const int y = std::clamp(origin.y(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - panel.height()));
    return {x, y};
}

} // namespace PanelPlacement
