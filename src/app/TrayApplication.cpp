#include "app/TrayApplication.h"

#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "app/AppWindows.h"
#include "app/Settings.h"
#include "app/TrayIcon.h"
#include "app/UnixSignals.h"
#include "monitor/MonitorEngine.h"

#include <QApplication>
#include <QCursor>
#include <QQuickWindow>

namespace TrayApplication {

int run(QApplication& application)
{
    application.setQuitOnLastWindowClosed(false);
    UnixSignals signals;
    QObject::connect(&signals, &UnixSignals::terminationRequested, &application, &QCoreApplication::quit);

    AppState state;
    AppDelegate delegate;
    if (Settings().protectionEnabled())
        state.engine().start();

    std::unique_ptr<QQuickWindow> dashboard;
    auto openDashboard = [&dashboard] {
        if (!dashboard)
            dashboard = AppWindows::createDashboardWindow();
        dashboard->show();
        dashboard->raise();
        dashboard->requestActivate();
    };

    TrayIcon tray(state);
    tray.menu().addAction(QStringLiteral("Open Dashboard"), &application, openDashboard);
    tray.menu().addSeparator();
    tray.menu().addAction(QStringLiteral("Quit"), &application, &QCoreApplication::quit);
    QObject::connect(&tray, &TrayIcon::clicked, &tray, [&tray] { tray.menu().popup(QCursor::pos()); });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        tray.show();
    else
        openDashboard(); // without a tray there is nothing to click: the window stands in for it

    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);
    delegate.applicationDidFinishLaunching();
    const int status = application.exec();
    state.engine().stop();
    return status;
}

} // namespace TrayApplication
