#pragma once

#include <QObject>

class QWindow;

// What our windows ask of X11 window managers and taskbars, through the display connection Qt
// already has. Elsewhere (Wayland, macOS, offscreen) these do nothing.
namespace X11WindowHints {

// A panel is no application window: it asks the window manager and the taskbars to leave it out
// (_NET_WM_STATE_SKIP_TASKBAR and _PAGER). Qt merges these with its own states when it maps the
// window, and the manager drops them when it is withdrawn, so this is called before every show.
void skipTaskbar(QWindow& window);

// The views are dark: window managers that draw GTK's title bars (GNOME's Mutter) draw the dark
// variant above them (_GTK_THEME_VARIANT), not a light bar over a dark window.
void preferDarkTheme(QWindow& window);

// Asks for the dark variant for every window of the application as Qt creates it.
class DarkThemeForEveryWindow : public QObject
{
public:
    DarkThemeForEveryWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace X11WindowHints
