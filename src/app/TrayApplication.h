#pragma once

#include "app/AppViews.h"

class QApplication;

// The desktop entry: a status icon in the system tray with monitoring running behind it.
namespace TrayApplication {

// `views.panel` builds the status-bar panel the first time the icon is clicked.
int run(QApplication& application, const AppViews& views);

} // namespace TrayApplication
