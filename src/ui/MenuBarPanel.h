#pragma once

#include "app/TrayPanel.h"

#include <QObject>
#include <QPoint>

#include <memory>
#include <optional>

class AppState;
class MenuBarModel;
class QQmlEngine;
class QQuickView;

// The status-bar panel's window. The QML engine, the view model and the window are created the first
// time the panel opens, so a tray session that never opens it carries none of them.
class MenuBarPanel : public QObject, public TrayPanel
{
    Q_OBJECT
public:
    MenuBarPanel(AppState& state, Mode mode, QObject* parent = nullptr);
    ~MenuBarPanel() override;
    // The factory the tray application is given.
    static std::unique_ptr<TrayPanel> make(AppState& state, Mode mode, std::function<void()> openDashboard);

    // Opens the panel next to `cursor`, or closes it when it is open.
    void toggle(std::optional<QPoint> cursor) override;
    void open(std::optional<QPoint> cursor);
    bool isCreated() const { return m_view != nullptr; }
    QQuickView* view() { return m_view.get(); }
    MenuBarModel* model() { return m_model.get(); }

Q_SIGNALS:
    void dashboardRequested();
    void quitRequested();

private:
    void create();

    AppState& m_state;
    Mode m_mode;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<MenuBarModel> m_model;
    std::unique_ptr<QQuickView> m_view;
};
