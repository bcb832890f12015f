#pragma once

#include "app/TrayPanel.h"
#include "ui/LayerShellSurface.h"

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the panel opens: beside the tray icon, on the icon's side of the screen (the screen edge
// nearest to it), then kept inside the screen's available area. The icon usually sits in a panel
// whose strip the available area leaves out, so the side is judged on the whole screen. Without an
// anchor on this screen the panel takes the top-right corner of the available area.
namespace PanelPlacement {
QPoint place(QSize panel, QRect screen, QRect available, const PanelAnchor& anchor);

// The same rule for a layer-shell popup, which names screen edges instead of a position: the corner
// where the bar's edge meets the end its tray usually sits at (the right of a horizontal bar, the top
// of a vertical one). The compositor keeps the popup clear of the bar itself.
LayerShellSurface::Placement layerPlacement(const PanelAnchor& anchor, QRect screen);
inline constexpr int layerGap = 4;
} // namespace PanelPlacement
