#pragma once

#include <QPoint>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>

class AppState;

// What the panel opens beside: the tray icon's rectangle when the tray tells it, else the point the
// user clicked; neither means the panel picks its own place. `barEdge` is the screen edge of the bar
// holding the icon, where the compositor tells it.
struct PanelAnchor
{
    std::optional<QRect> icon;
    std::optional<QPoint> click;
    std::optional<Qt::Edge> barEdge;
};

// The panel the tray icon opens. The tray application knows it only through this, so the QML views
// stay out of the core library.
class TrayPanel
{
public:
    virtual ~TrayPanel() = default;
    // Opens the panel beside `anchor`, or closes it when it is open.
    virtual void toggle(const PanelAnchor& anchor = {}) = 0;
    // Opens the panel beside `anchor`, or raises it when it is open already.
    virtual void show(const PanelAnchor& anchor = {}) = 0;
    // Called each time the user closes or leaves the panel.
    virtual void setHiddenHandler(std::function<void()> handler) = 0;

    enum class Mode { Popup, Window };
    using Factory = std::function<std::unique_ptr<TrayPanel>(AppState& state, Mode mode,
                                                             std::function<void()> openDashboard)>;
};
