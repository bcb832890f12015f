#include "app/TrayApplication.h"

#include "app/AppDelegate.h"
#include "app/AppNotifications.h"
#include "app/AppState.h"
#include "app/OnDemandWindow.h"
#include "app/TrayIcon.h"
#include "monitor/MonitorEngine.h"
#include "platform/Settings.h"
#include "platform/UnixSignals.h"

#include <QApplication>
#include <QCursor>
#include <QWindow>

namespace TrayApplication {

int run(QApplication& application, const AppViews& views)
{
    application.setQuitOnLastWindowClosed(false);
    UnixSignals signals;
    QObject::connect(&signals, &UnixSignals::terminationRequested, &application, &QCoreApplication::quit);

    AppState state;
    AppDelegate delegate({.setupWindow = views.setupWindow});

    OnDemandWindow settings([&views, &state] { return views.settingsWindow(state); });
    auto openSettings = [&settings] { settings.open(); };
    OnDemandWindow dashboard(
        [&views, &state, openSettings] { return views.dashboardWindow(state, openSettings); });
    auto openDashboard = [&dashboard] { dashboard.open(); };
    // Finishing the set-up window leads on to the dashboard, whose sheet asks for the profile.
    QObject::connect(&AppNotifications::instance(), &AppNotifications::onboardingDonePosted, &application,
                     [&state, &dashboard] {
                         if (!state.hasOnboarded())
                             dashboard.open();
                     });

    // Monitoring starts when the panel is first shown; the panel, its QML engine and its model are
    // built only then, so an idle tray session stays small.
    std::unique_ptr<TrayPanel> panel;
    TrayIcon tray(state);
    tray.menu().addAction(QStringLiteral("Open Dashboard"), &application, openDashboard);
    tray.menu().addAction(QStringLiteral("Settings…"), &application, openSettings);
    tray.menu().addSeparator();
    tray.menu().addAction(QStringLiteral("Quit"), &application, &QCoreApplication::quit);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        QObject::connect(&tray, &TrayIcon::clicked, &tray, [&] {
            if (!panel)
                panel = views.panel(state, TrayPanel::Mode::Popup, openDashboard);
            panel->toggle(QCursor::pos());
        });
        tray.show();
    } else {
        // Without a tray there is nothing to click: the panel opens as a normal window.
        panel = views.panel(state, TrayPanel::Mode::Window, openDashboard);
        panel->toggle(std::nullopt);
    }

    // The panel's window goes while the event loop still runs, so the scene graph can release its textures.
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &tray, [&panel, &dashboard, &settings] {
        panel.reset();
        dashboard.release();
        settings.release();
    });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);
    delegate.applicationDidFinishLaunching();
    const int status = application.exec();
    state.engine().stop();
    return status;
}

} // namespace TrayApplication
