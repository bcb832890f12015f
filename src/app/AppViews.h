#pragma once

#include "app/TrayPanel.h"

#include <functional>
#include <memory>

class QWindow;

// The windows of the application, built by the view layer. The application knows them only through
// these factories, so the QML views stay out of it.
struct AppViews
{
    using WindowFactory = std::function<std::unique_ptr<QWindow>()>;

    TrayPanel::Factory panel;
    WindowFactory setupWindow;
    WindowFactory dashboardWindow;
};
