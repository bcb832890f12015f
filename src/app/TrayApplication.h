#pragma once

#include "app/TrayPanel.h"

class QApplication;

// The desktop entry: a status icon in the system tray with monitoring running behind it.
namespace TrayApplication {

// `panels` builds the status-bar panel the first time the icon is clicked.
int run(QApplication& application, TrayPanel::Factory panels);

} // namespace TrayApplication
