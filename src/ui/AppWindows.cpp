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

std::unique_ptr<QQuickWindow> createSetupWindow()
{
    return std::make_unique<SetupWindow>();
}

} // namespace AppWindows
