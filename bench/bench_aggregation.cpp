// The status-bar panel and the alert feed regroup the alert list on every redraw, and every new
// application name costs one catalogue walk: these must stay well inside a frame.
#include "model/AppAlert.h"
#include "model/GroupedAlert.h"
#include "model/L10n.h"
#include "model/Timestamp.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>

namespace {

// 500 alerts, newest first, over 50 applications: catalogue hits of both tables, helper processes,
// paths and names the catalogue does not know, with every access type.
QList<SecurityAlert> sampleAlerts()
{
    const QStringList known{"zoom.us",
                            "Google Chrome Helper (Renderer)",
                            "Slack Helper",
                            "coreaudiod",
                            "locationd",
                            "Microsoft Teams",
                            "Safari Web Content",
                            "Discord",
                            "Code Helper",
                            "Docker Desktop",
                            "Obsidian",
                            "OBS",
                            "FaceTime",
                            "Firefox",
                            "Spotify",
                            "WhatsApp",
                            "Telegram",
                            "Arc",
                            "Signal",
                            "Notion"};
    const QStringList types{"camera", "microphone", "location", "network", "screen_recording"};
    QStringList apps = known;
    for (int i = apps.size(); i < 50; ++i)
        apps.append(i % 2 ? QStringLiteral("/Applications/Tool%1.app/Contents/MacOS/Tool%1 Helper").arg(i)
                          : QStringLiteral("com.vendor%1.Agent").arg(i));
    QList<SecurityAlert> alerts;
    const QDateTime start(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);
    for (int i = 0; i < 500; ++i) {
        const QString timestamp =
            i % 97 == 0 ? QStringLiteral("not a date") : Timestamp::format(start.addMSecs(-qint64(i) * 7919));
        alerts.append(
            {types[(i / 3) % types.size()], apps[(i * 7) % apps.size()], QString(), timestamp, std::nullopt});
    }
    return alerts;
}

// Best mean over several rounds: the least disturbed by other work on the machine.
double microsecondsPerCall(const std::function<qsizetype()>& call, int callsPerRound)
{
    volatile qsizetype sink = 0;
    double best = 1e300;
    for (int round = 0; round < 15; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < callsPerRound; ++i)
            sink = sink + call();
        best = std::min(best, double(timer.nsecsElapsed()) / 1000.0 / callsPerRound);
    }
    return best;
}

bool report(const char* what, double micros, double limit)
{
    const bool ok = micros <= limit;
    std::printf("%-58s %9.2f us  (limit %6.1f us)  %s\n", what, micros, limit, ok ? "ok" : "TOO SLOW");
    return ok;
}

} // namespace

int main()
{
    const QList<SecurityAlert> alerts = sampleAlerts();
    const QString whitelist = QStringLiteral("slack, discord ,");
    const QString miss = QStringLiteral("/Applications/Foo.app/Contents/MacOS/Foo Helper");
    const QString hit = QStringLiteral("Google Chrome Helper (Renderer)");

    bool ok = true;
    ok &= report("groupByApp, 500 alerts over 50 applications",
                 microsecondsPerCall([&] { return groupByApp(alerts).size(); }, 200), 200);
    ok &= report("groupedAlerts, 500 alerts, level 2, whitelist",
                 microsecondsPerCall([&] { return groupedAlerts(alerts, 2, whitelist).size(); }, 200), 200);
    ok &= report("friendlyApp, a name that matches no row",
                 microsecondsPerCall([&] { return L10n::friendlyApp(miss).name.size(); }, 20000), 5);
    ok &= report("friendlyApp, a helper of a known application",
                 microsecondsPerCall([&] { return L10n::friendlyApp(hit).name.size(); }, 20000), 5);
    return ok ? 0 : 1;
}
