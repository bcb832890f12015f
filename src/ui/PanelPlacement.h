#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the panel opens: beside the tray icon the cursor has just clicked, on the side away from the
// nearest screen edge, kept inside the screen's available area. Without a cursor position the panel
// takes the top-right corner.
namespace PanelPlacement {
QPoint place(QSize panel, QRect available, std::optional<QPoint> cursor);
}
