#pragma once

class QWindow;

// A panel is no application window: on X11 it asks the window manager and the taskbars to leave it
// out (_NET_WM_STATE_SKIP_TASKBAR and _PAGER). Qt merges these with its own states when it maps the
// window, and the manager drops them when it is withdrawn, so this is called before every show.
// Elsewhere it does nothing.
namespace SkipTaskbar {
void apply(QWindow& window);
}
