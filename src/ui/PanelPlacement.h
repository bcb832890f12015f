#pragma once

#include "app/TrayPanel.h"

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the panel opens: beside the tray icon, on the icon's side of the screen (the screen edge
// nearest to it), then kept inside the screen's available area. The icon usually sits in a panel
// whose strip the available area leaves out, so the side is judged on the whole screen. Without an
// anchor on this screen the panel takes the top-right corner of the available area.
namespace PanelPlacement {
QPoint place(QSize panel, QRect screen, QRect available, const PanelAnchor& anchor);
} // namespace PanelPlacement
