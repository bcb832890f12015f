#include "ui/AppWindows.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>

namespace AppWindows {
namespace {
const QColor background = QColor::fromRgbF(0.051f, 0.051f, 0.063f);
}

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

std::unique_ptr<QQuickWindow> createSetupWindow()
{
    auto window = std::make_unique<QQuickWindow>();
    window->setTitle(QStringLiteral("Halvex Setup"));
    window->setColor(background);
    window->resize(setupWidth, setupHeight);
    fixSize(*window);
    centreOnScreen(*window);
    return window;
}

} // namespace AppWindows
