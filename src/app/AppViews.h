#pragma once

#include "app/TelegramSetupModel.h"
#include "app/TrayPanel.h"

#include <functional>
#include <memory>

class AppState;
class QWindow;

// The windows of the application, built by the view layer. The application knows them only through
// these factories, so the QML views stay out of it.
struct AppViews
{
    using WindowFactory = std::function<std::unique_ptr<QWindow>()>;
    using SetupWindowFactory = std::function<std::unique_ptr<QWindow>(TelegramSetupModel::Options options)>;
    using StateWindowFactory = std::function<std::unique_ptr<QWindow>(AppState& state)>;
    // The dashboard opens the settings window through `openSettings`.
    using DashboardFactory =
        std::function<std::unique_ptr<QWindow>(AppState& state, std::function<void()> openSettings)>;

    TrayPanel::Factory panel;
    SetupWindowFactory setupWindow;
    DashboardFactory dashboardWindow;
    StateWindowFactory settingsWindow;
};
