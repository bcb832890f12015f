#pragma once

class QApplication;

// The desktop entry: a status icon in the system tray with monitoring running behind it.
namespace TrayApplication {

int run(QApplication& application);

} // namespace TrayApplication
