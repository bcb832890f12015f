#include "app/TrayApplication.h"

#include "app/AppDelegate.h"
#include "app/AppNotifications.h"
#include "app/AppState.h"
#include "app/OnDemandWindow.h"
#include "app/SingleInstance.h"
#include "app/TrayIcon.h"
#include "app/ViewVisibility.h"
#include "monitor/MonitorEngine.h"
#include "platform/Notifier.h"
#include "platform/Settings.h"
#include "platform/UnixSignals.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

namespace TrayApplication {
namespace {

// Without a tray, closing the window must not look like quitting: the first close says so once.
class BackgroundNotice
{
public:
    void showOnce()
    {
        if (m_shown)
            return;
        m_shown = true;
        if (!m_notifier)
            m_notifier = Notifier::createForPlatform();
        if (m_notifier)
            m_notifier->notify(QStringLiteral("Halvex"),
                               QStringLiteral("Halvex keeps monitoring in the background"),
                               QStringLiteral("halvex-background"));
    }

private:
    bool m_shown = false;
    std::unique_ptr<Notifier> m_notifier;
};

// Whether a system tray is there, giving one that is still starting `graceMs` to appear.
bool waitForTray(int graceMs = 3000)
{
    QElapsedTimer waited;
    waited.start();
    while (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (waited.elapsed() >= graceMs || QGuiApplication::platformName() == u"offscreen")
            return false;
        QEventLoop pause;
        QTimer::singleShot(200, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return true;
}

} // namespace

int run(QApplication& application, const AppViews& views, SingleInstance& instance, Launch launch)
{
    application.setQuitOnLastWindowClosed(false);
    UnixSignals signals;
    QObject::connect(&signals, &UnixSignals::terminationRequested, &application, &QCoreApplication::quit);

    AppState state;
    // A token stored in the set-up window reaches the backend's environment file too.
    AppDelegate delegate({.setupWindow = views.setupWindow, .backend = &state.backend()});
    // The fast refresh runs only while a view shows what it fetches.
    ViewVisibility visibility;
    state.setViewsShown(visibility.anyShown());
    QObject::connect(&visibility, &ViewVisibility::anyShownChanged, &state, &AppState::setViewsShown);

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

    // A monitor that waits for a click is not monitoring: the engine starts with the application.
    if (Settings().protectionEnabled())
        state.engine().start();

    // The panel object is light; its window and QML engine are built when it opens. A session's tray
    // may start a moment after Halvex: it gets a short grace before the panel becomes a window.
    const bool hasTray = waitForTray();
    std::unique_ptr<TrayPanel> panel =
        views.panel(state, hasTray ? TrayPanel::Mode::Popup : TrayPanel::Mode::Window, openDashboard);
    TrayIcon tray(state);
    tray.menu().addAction(QStringLiteral("Open Dashboard"), &application, openDashboard);
    tray.menu().addAction(QStringLiteral("Settings…"), &application, openSettings);
    tray.menu().addSeparator();
    tray.menu().addAction(QStringLiteral("Quit"), &application, &QCoreApplication::quit);
    const auto anchor = [&tray, hasTray] {
        return hasTray ? PanelAnchor{tray.geometry(), QCursor::pos()} : PanelAnchor{};
    };
    BackgroundNotice backgroundNotice;
    if (hasTray) {
        QObject::connect(&tray, &TrayIcon::clicked, &tray, [&panel, anchor] {
            if (panel)
                panel->toggle(anchor());
        });
        tray.show();
    } else {
        // Nothing to click: the panel opens as a window, and launching Halvex again re-opens it.
        panel->setHiddenHandler([&backgroundNotice] { backgroundNotice.showOnce(); });
        panel->show();
    }
    QObject::connect(&instance, &SingleInstance::panelRequested, &tray, [&panel, anchor] {
        if (panel)
            panel->show(anchor());
    });
    QObject::connect(&instance, &SingleInstance::dashboardRequested, &tray, openDashboard);
    if (launch.openDashboard)
        openDashboard();

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
