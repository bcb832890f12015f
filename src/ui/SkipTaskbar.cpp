#include "ui/SkipTaskbar.h"

#include <QGuiApplication>
#include <QWindow>

#ifdef HALVEX_HAVE_XCB
#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <cstring>
#endif

namespace SkipTaskbar {

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

} // namespace
#endif

void apply(QWindow& window)
{
#ifdef HALVEX_HAVE_XCB
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
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

} // namespace SkipTaskbar
