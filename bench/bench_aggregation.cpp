// The status-bar panel and the alert feed regroup the alert list on every redraw, and every new
// application name costs one catalogue walk: these must stay well inside a frame.
#include "BenchUtil.h"
#include "model/AppAlert.h"
#include "model/GroupedAlert.h"
#include "model/L10n.h"
#include "model/Timestamp.h"

#include <QDateTime>

#include <algorithm>
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
        // Every record owns its text, as records parsed from the log or the alerts file do.
        const QString& type = types[(i / 3) % types.size()];
        const QString& app = apps[(i * 7) % apps.size()];
        SecurityAlert alert;
        alert.type = QString(type.constData(), type.size());
        alert.app = QString(app.constData(), app.size());
        alert.timestamp = timestamp;
        alerts.append(alert);
    }
    return alerts;
}

// Best mean over several rounds: the least disturbed by other work on the machine.
double bestMicroseconds(long iterations, const std::function<void()>& body)
{
    double best = microsecondsPerIteration(iterations, body);
    for (int round = 1; round < 15; ++round)
        best = std::min(best, microsecondsPerIteration(iterations, body));
    return best;
}

} // namespace

int main()
{
    const QList<SecurityAlert> alerts = sampleAlerts();
    const QString whitelist = QStringLiteral("slack, discord ,");
    const QString miss = QStringLiteral("/Applications/Foo.app/Contents/MacOS/Foo Helper");
    const QString hit = QStringLiteral("Google Chrome Helper (Renderer)");

    volatile qsizetype sink = 0;
    report("groupByApp, 500 alerts over 50 applications",
           bestMicroseconds(200, [&] { sink = sink + groupByApp(alerts).size(); }), "us", 200);
    report("groupedAlerts, 500 alerts, level 2, whitelist",
           bestMicroseconds(200, [&] { sink = sink + groupedAlerts(alerts, 2, whitelist).size(); }), "us",
           200);
    report("friendlyApp, a name that matches no row",
           bestMicroseconds(20000, [&] { sink = sink + L10n::friendlyApp(miss).name.size(); }), "us", 5);
    report("friendlyApp, a helper of a known application",
           bestMicroseconds(20000, [&] { sink = sink + L10n::friendlyApp(hit).name.size(); }), "us", 5);
    return 0;
}
