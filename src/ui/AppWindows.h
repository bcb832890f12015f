#pragma once

#include "app/TelegramSetupModel.h"

#include <QQuickWindow>

#include <memory>

// The application's windows, created on demand so a tray-only session stays light.
namespace AppWindows {

inline constexpr int setupWidth = 440;
inline constexpr int setupHeight = 560;

// "Halvex Setup" with the Telegram set-up steps: 440 × 560, centred, closable, not resizable.
std::unique_ptr<QQuickWindow> createSetupWindow(TelegramSetupModel::Options options = {});

void centreOnScreen(QQuickWindow& window);
// A window of one size: minimum and maximum are its size, and it offers no maximise button.
void fixSize(QWindow& window);

} // namespace AppWindows
