#include "ui/X11WindowHints.h"

#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>

#ifdef HALVEX_HAVE_XCB
#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <cstring>
#endif

namespace X11WindowHints {

#ifdef HALVEX_HAVE_XCB
namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

// Qt's X11 connection, when the application runs on X11.
xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace
#endif

void skipTaskbar(QWindow& window)
{
#ifdef HALVEX_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    const auto id = xcb_window_t(window.winId());
    const std::array<xcb_atom_t, 2> states{atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                           atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom(connection, "_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, uint32_t(states.size()), states.data());
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

void preferDarkTheme(QWindow& window)
{
#ifdef HALVEX_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    static constexpr char dark[] = "dark";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()),
                        atom(connection, "_GTK_THEME_VARIANT"), atom(connection, "UTF8_STRING"), 8,
                        uint32_t(sizeof dark - 1), dark);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

DarkThemeForEveryWindow::DarkThemeForEveryWindow()
{
    if (qGuiApp)
        qGuiApp->installEventFilter(this);
}

bool DarkThemeForEveryWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Set once the X11 window exists, before it is first mapped.
    if (event->type() == QEvent::PlatformSurface && watched->isWindowType() &&
        static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
            QPlatformSurfaceEvent::SurfaceCreated)
        preferDarkTheme(*static_cast<QWindow*>(watched));
    return QObject::eventFilter(watched, event);
}

} // namespace X11WindowHints
