#pragma once

#include <QPoint>

#include <functional>
#include <memory>
#include <optional>

class AppState;

// The panel the tray icon opens. The tray application knows it only through this, so the QML views
// stay out of the core library.
class TrayPanel
{
public:
    virtual ~TrayPanel() = default;
    // Opens the panel beside `cursor` (where the icon was clicked), or closes it when it is open.
    virtual void toggle(std::optional<QPoint> cursor) = 0;

    enum class Mode { Popup, Window };
    using Factory = std::function<std::unique_ptr<TrayPanel>(AppState& state, Mode mode,
                                                             std::function<void()> openDashboard)>;
};
