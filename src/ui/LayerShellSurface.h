#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QSize>

#include <memory>

class QWindow;
struct wl_surface;
struct zwlr_layer_surface_v1;

// A window that is part of the desktop's shell rather than an application window: on Wayland
// compositors with the wlr layer shell (sway, Hyprland, river, KDE Plasma) a panel can sit at a screen
// edge beside the bar, which an ordinary window cannot ask for. Qt gives such a window no shell role
// of its own (it bypasses the window manager), and this object gives its surface the layer role each
// time Qt creates one, before anything is drawn into it.
class LayerShellSurface : public QObject
{
    Q_OBJECT
public:
    // Where the surface sits: the screen edges it is anchored to and its distance from them. A
    // surface anchored to the bar's edge is kept clear of the bar by the compositor.
    struct Placement
    {
        Qt::Edges anchors = Qt::TopEdge | Qt::RightEdge;
        QMargins margins;
        friend bool operator==(const Placement&, const Placement&) = default;
    };

    // Whether this session's compositor offers the layer shell to Qt's Wayland connection.
    static bool isAvailable();
    // `window` becomes a layer surface from now on; nothing when the session has no layer shell.
    static std::unique_ptr<LayerShellSurface> attach(QWindow& window, Placement placement);
    ~LayerShellSurface() override;

    // Applied at once when the surface is mapped, else at its next show.
    void setPlacement(Placement placement);
    Placement placement() const { return m_placement; }
    // The size the compositor last gave the surface, empty before the first configure.
    QSize configuredSize() const { return m_configured; }

Q_SIGNALS:
    // The compositor took the surface away (its output went, say): the window should hide.
    void closed();

private Q_SLOTS:
    // Qt made a new surface for the window (each show), or is about to destroy it (each hide).
    void surfaceCreated();
    void surfaceDestroyed();

private:
    LayerShellSurface(QWindow& window, Placement placement);
    void applyPlacement();
    void applySize();
    void releaseKeyboard();
    static void configure(void* data, zwlr_layer_surface_v1* surface, uint32_t serial, uint32_t width,
                          uint32_t height);
    static void close(void* data, zwlr_layer_surface_v1* surface);

    QPointer<QWindow> m_window;
    Placement m_placement;
    wl_surface* m_surface = nullptr;
    zwlr_layer_surface_v1* m_layer = nullptr;
    QSize m_configured;
};
