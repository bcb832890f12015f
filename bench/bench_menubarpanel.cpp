#include "BenchAlerts.h"
#include "BenchUtil.h"
#include "ProcessProbe.h"
#include "app/AppState.h"
#include "app/MenuBarModel.h"
#include "model/Timestamp.h"
#include "monitor/MonitorEngine.h"
#include "platform/Settings.h"
#include "ui/MenuBarPanel.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

namespace {

constexpr int engineAlerts = 500;
constexpr int redraws = 200;

// The first opening: the QML engine, the model and the window are built, and the first frame shown.
double firstOpenMilliseconds(MenuBarPanel& panel)
{
    QElapsedTimer timer;
    timer.start();
    panel.toggle();
    if (!QTest::qWaitForWindowExposed(panel.view()))
        return -1;
    return double(timer.nsecsElapsed()) / 1e6;
}

struct RedrawTimes
{
    double bindings; // the state republishes, the model regroups, the bindings are evaluated
    double frame;    // and the list's delegates are laid out and the frame drawn (software rasterizer)
};

// A new alert arrives with 500 stored. The second time also covers polishing the list (its rows are
// rebuilt) and drawing the frame, which a real window does on the next vertical blank.
RedrawTimes redrawMilliseconds(AppState& state, QQuickView& view, QList<SecurityAlert> alerts)
{
    QList<double> bindings, frames;
    for (int i = 0; i < redraws; ++i) {
        alerts.prepend(benchAccess(QStringLiteral("camera"), QStringLiteral("new-%1").arg(i),
                                   QDateTime::currentDateTimeUtc()));
        alerts.removeLast();
        QElapsedTimer timer;
        timer.start();
        state.engine().setAlerts(alerts);
        QCoreApplication::sendPostedEvents();
        bindings.append(double(timer.nsecsElapsed()) / 1e6);
        view.grabWindow();
        frames.append(double(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
        // Rows the list let go are deleted later; outside a running event loop only this deletes them.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return {median(bindings), median(frames)};
}

// Voluntary context switches of the whole process over a few seconds of the event loop.
double wakeUpsPerSecond()
{
    constexpr int seconds = 4;
    const qint64 pid = QCoreApplication::applicationPid();
    const long before = ProcessProbe::wakeUps(pid);
    // A plain event loop: QTest::qWait itself wakes every 10 ms.
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return double(ProcessProbe::wakeUps(pid) - before) / seconds;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    prepareOffscreenViews(home);
    QGuiApplication app(argc, argv);
    {
        Settings settings;
        settings.setValue(SettingsKey::serverURL, QStringLiteral("http://127.0.0.1:9"));
        settings.setProtectionEnabled(false);
        settings.setValue(SettingsKey::telegramBotToken, QStringLiteral("1:bench")); // the dot pulses
    }
    AppState state;
    const QList<SecurityAlert> alerts = benchAccesses(engineAlerts, 60, QDateTime::currentDateTimeUtc());
    state.engine().setAlerts(alerts);
    MenuBarPanel panel(state, TrayPanel::Mode::Window);

    report("panel: first open until shown", firstOpenMilliseconds(panel), "ms", 250);
    QTest::qWait(200);
    const RedrawTimes redraw = redrawMilliseconds(state, *panel.view(), alerts);
    report("panel: new alert with 500 stored, C++ and bindings (median)", redraw.bindings, "ms", 5);
    std::printf("%-52s %12.3f ms (median, for reference)\n",
                "panel: the same with layout and a software frame", redraw.frame);
    QTest::qWait(200);
    report("panel: resident memory with the panel open",
           double(ProcessProbe::residentKilobytes(QCoreApplication::applicationPid())) / 1024.0, "MB", 90);
    std::printf("%-52s %12.3f /s (for reference)\n", "panel: wake-ups per second while shown",
                wakeUpsPerSecond());
    panel.toggle();
    QTest::qWait(500);
    std::printf("%-52s %12.3f /s (for reference)\n", "panel: wake-ups per second once hidden",
                wakeUpsPerSecond());
    return 0;
}
