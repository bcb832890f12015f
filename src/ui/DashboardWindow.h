#pragma once

#include <QQuickView>

#include <functional>
#include <memory>

class AppState;
class DashboardModel;
class SettingsModel;

// The dashboard, "Halvex", at least 1000 × 700. The view owns its QML engine and its model, so
// destroying the window releases all of them.
class DashboardWindow : public QQuickView
{
    Q_OBJECT
public:
    static constexpr int minimumWidth = 1000;
    static constexpr int minimumHeight = 700;

    DashboardWindow(AppState& state, std::function<void()> openSettings);
    ~DashboardWindow() override;
    DashboardModel* model() { return m_model; }

    static std::unique_ptr<QWindow> make(AppState& state, std::function<void()> openSettings);

private:
    DashboardModel* m_model = nullptr;
};

// The settings window, 450 × 520; each time it is shown it asks for the XMTP status again.
class SettingsWindow : public QQuickView
{
    Q_OBJECT
public:
    static constexpr int fixedWidth = 450;
    static constexpr int fixedHeight = 520;

    explicit SettingsWindow(AppState& state);
    ~SettingsWindow() override;
    SettingsModel* model() { return m_model; }

    static std::unique_ptr<QWindow> make(AppState& state);

private:
    SettingsModel* m_model = nullptr;
};
