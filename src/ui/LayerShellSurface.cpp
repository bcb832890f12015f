#include "ui/LayerShellSurface.h"

#include <QGuiApplication>
#include <QWindow>

#ifdef HALVEX_HAVE_LAYER_SHELL
#include <QLoggingCategory>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>

#include <wayland-client.h>
// The protocol names a request's argument "namespace", which C++ reserves.
#define namespace layerNamespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

#include <algorithm>
#include <cstring>

Q_LOGGING_CATEGORY(lcLayerShell, "halvex.layershell", QtInfoMsg)

namespace {

// What the surfaces share: the compositor's layer shell, reached through Qt's own display
// connection but on a queue of ours, so waiting for an answer never dispatches Qt's events.
class LayerShellConnection : public QObject
{
public:
    static LayerShellConnection* instance()
    {
        static QPointer<LayerShellConnection> connection;
        if (!connection && qGuiApp && QGuiApplication::platformName().startsWith(u"wayland"))
            // Owned by the application, so it goes before Qt closes the display.
            connection = new LayerShellConnection(qGuiApp);
        return connection;
    }

    ~LayerShellConnection() override
    {
        if (m_shell)
            zwlr_layer_shell_v1_destroy(m_shell);
        if (m_registry)
            wl_registry_destroy(m_registry);
        if (m_wrapper)
            wl_proxy_wrapper_destroy(m_wrapper);
        if (m_queue)
            wl_event_queue_destroy(m_queue);
    }

    wl_display* display() const { return m_display; }
    zwlr_layer_shell_v1* shell() const { return m_shell; }
    uint32_t version() const { return m_version; }
    // Sends what is pending and waits for the compositor's answers on our queue.
    bool roundTrip() const { return m_display && wl_display_roundtrip_queue(m_display, m_queue) >= 0; }
    void dispatchPending() const
    {
        if (m_display) {
            wl_display_dispatch_queue_pending(m_display, m_queue);
            wl_display_flush(m_display);
        }
    }

private:
    explicit LayerShellConnection(QObject* parent) : QObject(parent)
    {
        QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
        m_display =
            native ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display")) : nullptr;
        if (!m_display)
            return;
        m_queue = wl_display_create_queue(m_display);
        m_wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(m_display));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(m_wrapper), m_queue);
        m_registry = wl_display_get_registry(m_wrapper);
        static const wl_registry_listener listener{&LayerShellConnection::global,
                                                   [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(m_registry, &listener, this);
        roundTrip();
        qCDebug(lcLayerShell) << "layer shell" << (m_shell ? "found, version" : "absent") << m_version;
    }

    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version)
    {
        auto* self = static_cast<LayerShellConnection*>(data);
        if (self->m_shell || std::strcmp(interface, zwlr_layer_shell_v1_interface.name) != 0)
            return;
        // Version 4 brings keyboard focus on demand; the first three are enough to show the panel.
        self->m_version = std::min<uint32_t>(version, 4);
        self->m_shell = static_cast<zwlr_layer_shell_v1*>(
            wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, self->m_version));
    }

    wl_display* m_display = nullptr;
    wl_event_queue* m_queue = nullptr;
    wl_display* m_wrapper = nullptr;
    wl_registry* m_registry = nullptr;
    zwlr_layer_shell_v1* m_shell = nullptr;
    uint32_t m_version = 0;
};

uint32_t anchorBits(Qt::Edges edges)
{
    uint32_t bits = 0;
    if (edges & Qt::TopEdge)
        bits |= ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP;
    if (edges & Qt::BottomEdge)
        bits |= ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM;
    if (edges & Qt::LeftEdge)
        bits |= ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT;
    if (edges & Qt::RightEdge)
        bits |= ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
    return bits;
}

// Qt's Wayland window announces each surface it creates and destroys; it is a QObject behind the
// platform window.
QObject* platformWindowObject(QWindow& window)
{
    return window.handle() ? dynamic_cast<QObject*>(window.handle()) : nullptr;
}

} // namespace

bool LayerShellSurface::isAvailable()
{
    const LayerShellConnection* connection = LayerShellConnection::instance();
    return connection && connection->shell();
}

std::unique_ptr<LayerShellSurface> LayerShellSurface::attach(QWindow& window, Placement placement)
{
    if (!isAvailable())
        return nullptr;
    window.create();
    QObject* platform = platformWindowObject(window);
    if (!platform || platform->metaObject()->indexOfSignal("wlSurfaceCreated()") < 0 ||
        platform->metaObject()->indexOfSignal("wlSurfaceDestroyed()") < 0) {
        // The window stays as it was: an ordinary one.
        qCDebug(lcLayerShell) << "this Qt's Wayland windows do not announce their surfaces";
        return nullptr;
    }
    // Qt's Wayland windows that bypass the window manager get no shell role when they are shown,
    // which leaves the surface free for the layer role; Qt reads both whenever it shows or exposes one.
    qputenv("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT", "1");
    window.setFlags(window.flags() | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    std::unique_ptr<LayerShellSurface> surface(new LayerShellSurface(window, placement));
    // Direct: the role must be given inside Qt's own surface creation, before its first frame.
    QObject::connect(platform, SIGNAL(wlSurfaceCreated()), surface.get(), SLOT(surfaceCreated()),
                     Qt::DirectConnection);
    QObject::connect(platform, SIGNAL(wlSurfaceDestroyed()), surface.get(), SLOT(surfaceDestroyed()),
                     Qt::DirectConnection);
    // The first surface came with the platform window.
    surface->surfaceCreated();
    return surface;
}

LayerShellSurface::LayerShellSurface(QWindow& window, Placement placement)
    : m_window(&window), m_placement(placement)
{
    connect(&window, &QWindow::widthChanged, this, &LayerShellSurface::applySize);
    connect(&window, &QWindow::heightChanged, this, &LayerShellSurface::applySize);
    connect(&window, &QWindow::activeChanged, this, &LayerShellSurface::releaseKeyboard);
}

void LayerShellSurface::releaseKeyboard()
{
    // Once the popup has the keyboard it holds it only on demand: a click elsewhere takes the focus
    // away, and the popup closes as it loses it. Older layer shells know no such mode.
    const LayerShellConnection* connection = LayerShellConnection::instance();
    if (!m_layer || !m_window || !m_window->isActive() || !connection || connection->version() < 4)
        return;
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND);
    wl_surface_commit(m_surface);
    connection->dispatchPending();
}

LayerShellSurface::~LayerShellSurface()
{
    surfaceDestroyed();
}

void LayerShellSurface::surfaceCreated()
{
    const LayerShellConnection* connection = LayerShellConnection::instance();
    if (!connection || !m_window || m_layer)
        return;
    m_surface = static_cast<wl_surface*>(
        QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", m_window));
    if (!m_surface)
        return;
    m_layer = zwlr_layer_shell_v1_get_layer_surface(connection->shell(), m_surface, nullptr,
                                                    ZWLR_LAYER_SHELL_V1_LAYER_TOP, "halvex-panel");
    static const zwlr_layer_surface_v1_listener listener{&LayerShellSurface::configure,
                                                         &LayerShellSurface::close};
    zwlr_layer_surface_v1_add_listener(m_layer, &listener, this);
    // Exclusive at first, so the keyboard comes to the popup as it opens (Escape closes it).
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    applyPlacement();
    zwlr_layer_surface_v1_set_size(m_layer, uint32_t(std::max(1, m_window->width())),
                                   uint32_t(std::max(1, m_window->height())));
    // The compositor answers the first commit, which carries no buffer, with the surface's size; Qt
    // may draw only after that answer was acknowledged.
    wl_surface_commit(m_surface);
    if (!connection->roundTrip())
        qCDebug(lcLayerShell) << "the compositor did not answer the layer surface";
}

void LayerShellSurface::surfaceDestroyed()
{
    // The role object goes before its surface.
    if (m_layer)
        zwlr_layer_surface_v1_destroy(m_layer);
    m_layer = nullptr;
    m_surface = nullptr;
    m_configured = {};
}

void LayerShellSurface::setPlacement(Placement placement)
{
    if (placement == m_placement)
        return;
    m_placement = placement;
    if (!m_layer)
        return;
    applyPlacement();
    wl_surface_commit(m_surface);
    if (const LayerShellConnection* connection = LayerShellConnection::instance())
        connection->dispatchPending();
}

void LayerShellSurface::applyPlacement()
{
    zwlr_layer_surface_v1_set_anchor(m_layer, anchorBits(m_placement.anchors));
    const QMargins& m = m_placement.margins;
    zwlr_layer_surface_v1_set_margin(m_layer, m.top(), m.right(), m.bottom(), m.left());
    // Zero: kept clear of the bars' exclusive zones, and not pushing windows aside itself.
    zwlr_layer_surface_v1_set_exclusive_zone(m_layer, 0);
}

void LayerShellSurface::applySize()
{
    if (!m_layer || !m_window)
        return;
    zwlr_layer_surface_v1_set_size(m_layer, uint32_t(std::max(1, m_window->width())),
                                   uint32_t(std::max(1, m_window->height())));
    // Takes effect with Qt's next frame, which has the new size; the compositor's answer to it is
    // acknowledged whenever our queue is next looked at.
    if (const LayerShellConnection* connection = LayerShellConnection::instance())
        connection->dispatchPending();
}

void LayerShellSurface::configure(void* data, zwlr_layer_surface_v1* surface, uint32_t serial, uint32_t width,
                                  uint32_t height)
{
    auto* self = static_cast<LayerShellSurface*>(data);
    self->m_configured = QSize(int(width), int(height));
    zwlr_layer_surface_v1_ack_configure(surface, serial);
}

void LayerShellSurface::close(void* data, zwlr_layer_surface_v1*)
{
    auto* self = static_cast<LayerShellSurface*>(data);
    QMetaObject::invokeMethod(self, &LayerShellSurface::closed, Qt::QueuedConnection);
}

#else

// Built without Wayland's client library: no compositor's layer shell is ever used.
bool LayerShellSurface::isAvailable()
{
    return false;
}

std::unique_ptr<LayerShellSurface> LayerShellSurface::attach(QWindow&, Placement)
{
    return nullptr;
}

LayerShellSurface::LayerShellSurface(QWindow& window, Placement placement)
    : m_window(&window), m_placement(placement)
{
}

LayerShellSurface::~LayerShellSurface() = default;
void LayerShellSurface::surfaceCreated() {}
void LayerShellSurface::surfaceDestroyed() {}
void LayerShellSurface::setPlacement(Placement placement)
{
    m_placement = placement;
}
void LayerShellSurface::applyPlacement() {}
void LayerShellSurface::applySize() {}
void LayerShellSurface::releaseKeyboard() {}
void LayerShellSurface::configure(void*, zwlr_layer_surface_v1*, uint32_t, uint32_t, uint32_t) {}
void LayerShellSurface::close(void*, zwlr_layer_surface_v1*) {}

#endif
