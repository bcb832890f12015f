#pragma once

#include "app/TrayPanel.h"
#include "ui/LayerShellSurface.h"

#include <QObject>
#include <QTimer>

#include <memory>

class AppState;
class MenuBarModel;
class QQmlEngine;
class QQuickView;
class QScreen;

// The status-bar panel's window. The QML engine, the view model and the window are created when the
// panel opens and released a while after it was last hidden, so a tray session that is not looking at
// the panel carries none of them.
class MenuBarPanel : public QObject, public TrayPanel
{
    Q_OBJECT
public:
    static constexpr int defaultReleaseDelayMs = 30000;

    MenuBarPanel(AppState& state, Mode mode, QObject* parent = nullptr);
    ~MenuBarPanel() override;
    // The factory the tray application is given.
    static std::unique_ptr<TrayPanel> make(AppState& state, Mode mode, std::function<void()> openDashboard);

    void toggle(const PanelAnchor& anchor = {}) override;
    void show(const PanelAnchor& anchor = {}) override;
    void setHiddenHandler(std::function<void()> handler) override { m_hiddenHandler = std::move(handler); }

    // How long the hidden panel keeps its window and engine before releasing them.
    void setReleaseDelay(int ms) { m_release.setInterval(ms); }
    bool isCreated() const { return m_view != nullptr; }
    QQuickView* view() { return m_view.get(); }
    // The layer-shell role the popup has on Wayland compositors that offer it; null elsewhere.
    LayerShellSurface* layerSurface() { return m_layer.get(); }
    MenuBarModel* model() { return m_model.get(); }

Q_SIGNALS:
    void dashboardRequested();
    void quitRequested();

private:
    void create();
    void release();
    void place();
    void keepContentSize();
    void visibilityChanged(bool visible);
    QScreen* anchorScreen() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    AppState& m_state;
    Mode m_mode;
    PanelAnchor m_anchor;
    QTimer m_release;
    std::function<void()> m_hiddenHandler;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<MenuBarModel> m_model;
    std::unique_ptr<QQuickView> m_view;
    std::unique_ptr<LayerShellSurface> m_layer;
};
