#include "BenchAlerts.h"
#include "BenchUtil.h"
#include "ProcessProbe.h"
#include "app/AppState.h"
#include "app/DashboardModel.h"
#include "app/OnDemandWindow.h"
#include "model/Timestamp.h"
#include "monitor/MonitorEngine.h"
#include "platform/Settings.h"
#include "ui/DashboardWindow.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

namespace {

constexpr int storedAlerts = 500;
constexpr int samples = 100;

double residentMegabytes()
{
    return double(ProcessProbe::residentKilobytes(QCoreApplication::applicationPid())) / 1024.0;
}

// The state's alerts as a fresh backend reply would publish them.
void publish(AppState& state, const QList<SecurityAlert>& alerts)
{
    state.alertModel()->setAlerts(alerts);
    Q_EMIT state.alertsChanged();
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    prepareOffscreenViews(home);
    qputenv("HALVEX_TOOL_SYSTEMCTL", "/bin/false");
    QGuiApplication app(argc, argv);
    {
        Settings settings;
        settings.setValue(SettingsKey::serverURL, QStringLiteral("http://127.0.0.1:9"));
        settings.setProtectionEnabled(false);
        settings.setHasOnboarded(true);
        settings.setValue(SettingsKey::refreshInterval, 3600); // no refresh empties the list mid-run
    }
    AppState state;
    // The first loads fail against the closed port and publish an empty list: the stored alerts come after.
    QTest::qWait(500);
    // 150 applications: more than the feed shows.
    QList<SecurityAlert> alerts = benchAccesses(storedAlerts, 150, QDateTime::currentDateTimeUtc());
    publish(state, alerts);
    const double before = residentMegabytes();

    OnDemandWindow dashboard([&state] { return DashboardWindow::make(state, {}); });
    QElapsedTimer timer;
    timer.start();
    dashboard.open();
    if (!QTest::qWaitForWindowExposed(dashboard.window()))
        return 1;
    report("dashboard: first open until shown", double(timer.nsecsElapsed()) / 1e6, "ms", 300);
    auto* window = static_cast<DashboardWindow*>(dashboard.window());
    std::printf("%-52s %12d rows (for reference)\n", "dashboard: feed rows shown",
                window->model()->feedCount());
    QTest::qWait(200);

    QList<double> switches;
    for (int i = 1; i <= samples; ++i) {
        timer.restart();
        window->model()->setSelectedTab(i % 3);
        window->grabWindow();
        switches.append(double(timer.nsecsElapsed()) / 1e6);
    }
    report("dashboard: tab switch with a software frame (median)", median(switches), "ms", 16);
    window->model()->setSelectedTab(DashboardModel::AlertsTab);

    QList<double> redraws;
    for (int i = 0; i < samples; ++i) {
        alerts.prepend(benchAccess(QStringLiteral("camera"), QStringLiteral("new-%1").arg(i % 7),
                                   QDateTime::currentDateTimeUtc()));
        alerts.removeLast();
        timer.restart();
        publish(state, alerts);
        QCoreApplication::sendPostedEvents();
        redraws.append(double(timer.nsecsElapsed()) / 1e6);
        window->grabWindow();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    report("dashboard: new alert with 500 stored, C++ and bindings", median(redraws), "ms", 5);

    QTest::qWait(300);
    report("dashboard: resident memory with the dashboard open", residentMegabytes(), "MB", 120);

    window->close();
    QElapsedTimer since;
    since.start();
    double afterClose = residentMegabytes();
    while (since.elapsed() < 10000 && afterClose > 70) {
        QTest::qWait(250);
        afterClose = residentMegabytes();
    }
    report("dashboard: resident memory within 10 s of closing", afterClose, "MB", 70);
    std::printf("%-52s %12.3f MB (for reference)\n", "dashboard: resident memory before the first open",
                before);
    std::printf("%-52s %12s\n", "dashboard: window released after closing",
                dashboard.window() ? "no" : "yes");
    return 0;
}
