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
#include "platform/SwayBarEdge.h"
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

// Whether a tray is there, giving one that is still starting `graceMs` to appear.
bool waitForTray(const TrayIcon& tray, int graceMs = 3000)
{
    QElapsedTimer waited;
    waited.start();
    while (!tray.isTrayAvailable()) {
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
    bool trayShown = false;
    // A token stored in the set-up window reaches the backend's environment file too.
    AppDelegate delegate({.setupWindow = views.setupWindow,
                          .backend = &state.backend(),
                          .trayShown = [&trayShown] { return trayShown; }});
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

    TrayIcon tray(state);
    // sway tells which edge its bars hold; StatusNotifier hosts pass no position we could place by.
    SwayBarEdge swayBars;
    std::optional<Qt::Edge> barEdge;
    const auto learnBarEdge = [&swayBars, &barEdge] {
        swayBars.ask([&barEdge](std::optional<Qt::Edge> edge) {
            if (edge)
                barEdge = edge;
        });
    };
    learnBarEdge();

    // The icon may show (and be clicked) while the tray's grace below still runs: its menu is whole
    // from the start, and a click before the panel exists opens it as soon as it does.
    std::unique_ptr<TrayPanel> panel;
    bool openWhenReady = false;
    const auto anchor = [&tray, &trayShown, &barEdge](std::optional<QPoint> hostPosition) {
        if (!trayShown)
            return PanelAnchor{};
        // On X11 the pointer is where the click was; a Wayland client cannot know where it is.
        if (!hostPosition && tray.host() == TrayIcon::Host::SystemTray)
            hostPosition = QCursor::pos();
        if (hostPosition && hostPosition->isNull())
            hostPosition.reset();
        return PanelAnchor{tray.geometry(), hostPosition, barEdge};
    };
    const auto showPanel = [&panel, &openWhenReady, anchor] {
        if (panel)
            panel->show(anchor(std::nullopt));
        else
            openWhenReady = true;
    };
    // Hosts that open the menu on a click (GNOME's AppIndicator) reach the panel through its first item.
    tray.menu().addAction(QStringLiteral("Show Halvex"), &application, showPanel);
    tray.menu().addAction(QStringLiteral("Open Dashboard"), &application, openDashboard);
    tray.menu().addAction(QStringLiteral("Settings…"), &application, openSettings);
    tray.menu().addSeparator();
    tray.menu().addAction(QStringLiteral("Quit"), &application, &QCoreApplication::quit);
    QObject::connect(&tray, &TrayIcon::clicked, &tray,
                     [&panel, &openWhenReady, anchor, learnBarEdge](std::optional<QPoint> at) {
                         if (panel)
                             panel->toggle(anchor(at));
                         else
                             openWhenReady = true;
                         learnBarEdge();
                     });

    // The panel object is light; its window and QML engine are built when it opens. A session's tray
    // may start a moment after Halvex: it gets a short grace before the panel becomes a window.
    trayShown = waitForTray(tray);
    state.setTrayShown(trayShown);
    panel = views.panel(state, trayShown ? TrayPanel::Mode::Popup : TrayPanel::Mode::Window, openDashboard);
    BackgroundNotice backgroundNotice;
    if (trayShown) {
        tray.show();
        if (openWhenReady)
            showPanel();
    } else {
        // Nothing to click: the panel opens as a window, and launching Halvex again re-opens it.
        panel->setHiddenHandler([&backgroundNotice] { backgroundNotice.showOnce(); });
        panel->show();
    }
    // A tray that comes up later (a bar started after Halvex) takes over from the window.
    QObject::connect(&tray, &TrayIcon::trayAvailableChanged, &tray,
                     [&tray, &trayShown, &panel, &views, &state, openDashboard](bool available) {
                         if (!available || trayShown)
                             return;
                         trayShown = true;
                         state.setTrayShown(true);
                         panel = views.panel(state, TrayPanel::Mode::Popup, openDashboard);
                         tray.show();
                     });
    QObject::connect(&instance, &SingleInstance::panelRequested, &tray, showPanel);
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
