#include "ui/AppWindows.h"

#include "ui/SetupWindow.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>

namespace AppWindows {
void centreOnScreen(QQuickWindow& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window.setPosition(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

void fixSize(QWindow& window)
{
    // Only with CustomizeWindowHint do the hints below replace the window manager's own buttons.
    window.setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                    Qt::WindowMinimizeButtonHint);
    window.setMinimumSize(window.size());
    window.setMaximumSize(window.size());
}

std::unique_ptr<QQuickWindow> createSetupWindow(TelegramSetupModel::Options options)
{
    return std::make_unique<SetupWindow>(std::move(options));
}

} // namespace AppWindows
