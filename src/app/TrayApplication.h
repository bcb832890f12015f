#pragma once

#include "app/AppViews.h"

class QApplication;
class SingleInstance;

// The desktop entry: a status icon in the system tray with monitoring running behind it, or, on a
// desktop without a tray, the panel as a window that launching Halvex again brings back.
namespace TrayApplication {

struct Launch
{
    bool openDashboard = false; // --dashboard: the dashboard opens at once
};

// `instance` holds the session's single-instance name; later launches reach this one through it.
int run(QApplication& application, const AppViews& views, SingleInstance& instance, Launch launch = {});

} // namespace TrayApplication
