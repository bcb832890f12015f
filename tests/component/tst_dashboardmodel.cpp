#include "app/AppState.h"
#include "app/DashboardModel.h"
#include "app/DashboardRules.h"
#include "app/SettingsModel.h"
#include "monitor/AccessSource.h"
#include "monitor/MonitorEngine.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/ServiceCalls.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

AppState::Options fastOptions()
{
    AppState::Options options;
    options.clientTimeouts = {2000, 2000};
    options.backendDelays = {10, 10};
    return options;
}

SecurityAlert alertOf(const QString& type, const QString& app, std::optional<QString> details = std::nullopt)
{
    return {type, app, {}, QStringLiteral("2026-03-01T10:00:00.000Z"), std::move(details)};
}

DashboardModel::Options withStartDelay(int ms)
{
    DashboardModel::Options options;
    options.startCheckDelayMs = ms;
    return options;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A source that reports nothing by itself; tests emit its signals.
class SilentSource : public AccessSource
{
public:
    void start() override {}
    void stop() override {}
};

} // namespace

// The dashboard's and the settings window's view models against a real AppState talking to a fake
// backend: the feed limit, the counters, block, the services card, XMTP and clearing the alerts.

class DashboardModelTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<FakeBackendHome>();
        fakeSystemctl("not-found\n");
        Settings().setHasOnboarded(true);
    }

    void cleanup()
    {
        m_state.reset();
        m_systemctl.reset();
        m_rig.reset();
    }

    void feedShowsTheFirstHundredApplications()
    {
        for (int i = 0; i < 150; ++i)
            m_rig->backend.alerts << alertOf("camera", QStringLiteral("App%1").arg(i));
        m_rig->backend.alerts << alertOf("microphone", "App3", QStringLiteral("pid 42"));
        start();
        DashboardModel model(*m_state);
        QTRY_COMPARE(model.appAlerts().size(), 150);
        QCOMPARE(model.feedCount(), DashboardRules::feedLimit);
        const auto& rows = model.feed()->rows();
        QCOMPARE(rows.first().alertId, "app0");
        QCOMPARE(rows.last().alertId, "app99");
        QVERIFY(std::none_of(rows.cbegin(), rows.cend(),
                             [](const auto& row) { return row.alertId == "app100"; }));
        // groupByApp's order is kept: App3 stays fourth although its microphone record came last.
        QCOMPARE(rows.at(3).alertId, "app3");
        QCOMPARE(rows.at(3).headline, QString::fromUtf8("App3 a accédé à la caméra et le micro"));
        QCOMPARE(rows.at(3).countText, QString::fromUtf8("×2"));
        QCOMPARE(rows.at(3).details, "");
        QCOMPARE(rows.at(3).chips.size(), 2);
        QCOMPARE(rows.at(0).countText, "");
    }

    void countersNeedStatistics_data()
    {
        QTest::addColumn<bool>("backendUp");
        QTest::newRow("statistics known") << true;
        QTest::newRow("backend down") << false;
    }
    void countersNeedStatistics()
    {
        QFETCH(bool, backendUp);
        if (!backendUp)
            m_rig->backend.goDown();
        start();
        DashboardModel model(*m_state);
        if (backendUp) {
            QTRY_VERIFY(model.hasStats());
            QCOMPARE(model.todayText(), "2");
            QCOMPARE(model.totalText(), "3");
        } else {
            QTest::qWait(500);
            QVERIFY(!model.hasStats());
            QCOMPARE(model.todayText(), "");
        }
    }

    void headerFollowsTheEngine()
    {
        Settings().setProtectionEnabled(false);
        start();
        DashboardModel model(*m_state);
        QCOMPARE(model.monitoringText(), "STANDBY");
        QVERIFY(!model.hasThreat());
        QSignalSpy threat(&model, &DashboardModel::threatChanged);
        m_state->engine().recordAlert("microphone", "Recorder", std::nullopt);
        QTRY_VERIFY(model.hasThreat());
        for (int i = 0; i < 5; ++i)
            m_state->engine().recordAlert("location", QStringLiteral("Maps%1").arg(i), std::nullopt);
        QTRY_VERIFY(!model.hasThreat());
        QCOMPARE(threat.size(), 2);
        model.setSelectedTab(DashboardModel::SettingsTab);
        QCOMPARE(model.selectedTab(), int(DashboardModel::SettingsTab));
        model.setSelectedTab(7);
        QCOMPARE(model.selectedTab(), int(DashboardModel::SettingsTab));
    }

    // Blocking marks the row at once, even when pkill finds nothing to end.
    void blockForceQuitsWithAnEscapedName()
    {
        FakeTool pkill("HALVEX_TOOL_PKILL", {}, 1);
        m_rig->backend.alerts << alertOf("camera", "zoom.us") << alertOf("camera", "Slack");
        start();
        DashboardModel model(*m_state);
        QTRY_COMPARE(model.feedCount(), 2);
        model.block("zoom.us");
        QVERIFY(model.feed()->rows().first().blocked);
        QVERIFY(!model.feed()->rows().last().blocked);
        QVERIFY(pkill.waitForCalls(1));
        QCOMPARE(pkill.calls(), (QList<QStringList>{{"-x", "-i", "zoom\\.us"}}));
        model.block("zoom.us");
        model.block("nobody");
        QTest::qWait(200);
        QCOMPARE(pkill.calls().size(), 1);
    }

    void startButtonRules_data()
    {
        QTest::addColumn<bool>("backendUp");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("shown");
        QTest::newRow("down, installed") << false << true << true;
        QTest::newRow("down, not installed") << false << false << false;
        QTest::newRow("up, installed") << true << true << false;
    }
    void startButtonRules()
    {
        QFETCH(bool, backendUp);
        QFETCH(bool, installed);
        QFETCH(bool, shown);
        fakeSystemctl(installed ? "loaded\n" : "not-found\n");
        if (!backendUp)
            m_rig->backend.goDown();
        start();
        DashboardModel model(*m_state, withStartDelay(300));
        QTRY_COMPARE(model.serviceInstalled(), installed);
        if (backendUp)
            QTRY_VERIFY(model.isConnected());
        else
            QTest::qWait(300);
        QCOMPARE(model.showStartButton(), shown);
    }

    // A unit installed or removed while the dashboard is open: the next connection check sees it.
    void startButtonFollowsTheUnit()
    {
        fakeSystemctl("not-found\n");
        m_rig->backend.goDown();
        start();
        DashboardModel model(*m_state, withStartDelay(300));
        QTRY_VERIFY(m_systemctl->calls().size() >= 1);
        QTest::qWait(100);
        QVERIFY(!model.showStartButton());

        m_systemctl->setScriptBody("echo loaded\n");
        m_state->checkConnection();
        QTRY_VERIFY(model.showStartButton());

        m_systemctl->setScriptBody("echo not-found\n");
        m_state->checkConnection();
        QTRY_VERIFY(!model.showStartButton());
    }

    void startShowsStartingForTheDelay()
    {
        fakeSystemctl("loaded\n");
        Settings().setHasOnboarded(false); // no launch at start: only the card's calls follow
        m_rig->backend.goDown();
        start();
        DashboardModel model(*m_state, withStartDelay(400));
        QTRY_VERIFY(model.showStartButton());
        const qsizetype before = m_systemctl->calls().size();
        QElapsedTimer clock;
        clock.start();
        model.startBackend();
        QVERIFY(model.restartingBackend());
        model.startBackend(); // ignored while starting
        QTRY_VERIFY(!model.restartingBackend());
        QVERIFY(clock.elapsed() >= 400);
        QTRY_COMPARE(ServiceCalls::commands(m_systemctl->calls().mid(before)),
                     (QList<QStringList>{{"--user", "stop", "halvex-backend.service"},
                                         {"--user", "start", "halvex-backend.service"}}));
        // The connection check that ends "Starting…" asks systemd again whether the unit is there.
        QTRY_VERIFY(ServiceCalls::askedAfterTheCommands(m_systemctl->calls()));
        QVERIFY(!model.isConnected());
        QVERIFY(model.showStartButton());
    }

    void xmtpReplies_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("address");
        QTest::newRow("running without address") << QJsonObject{{"running", true}} << true << "Unavailable";
        QTest::newRow("running with address")
            << QJsonObject{{"running", true}, {"address", "0xfeed"}} << true << "0xfeed";
        QTest::newRow("stopped") << QJsonObject{{"running", false}} << false << "Unavailable";
    }
    void xmtpReplies()
    {
        QFETCH(QJsonObject, reply);
        QFETCH(bool, running);
        QFETCH(QString, address);
        m_rig->backend.xmtpStatus = reply;
        start();
        SettingsModel model(*m_state);
        QCOMPARE(model.xmtpAddress(), QString::fromUtf8("Loading…"));
        model.appeared();
        QTRY_COMPARE(model.xmtpAddress(), address);
        QCOMPARE(model.xmtpRunning(), running);
    }

    void xmtpWithoutABackendKeepsLoading()
    {
        m_rig->backend.goDown();
        start();
        SettingsModel model(*m_state);
        QSignalSpy changed(&model, &SettingsModel::xmtpChanged);
        model.fetchXMTPStatus();
        QTest::qWait(500);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(model.xmtpAddress(), QString::fromUtf8("Loading…"));
    }

    void clearAllEmptiesTheEngineAndItsFile()
    {
        m_rig->backend.alerts << alertOf("camera", "Zoom") << alertOf("camera", "Slack");
        start();
        SettingsModel model(*m_state);
        QTRY_COMPARE(model.alertsStored(), 2);
        m_state->engine().recordAlert("camera", "Zoom", std::nullopt);
        QTRY_VERIFY(readFile(m_state->engine().alertsPath()).contains("Zoom"));
        model.clearAllAlerts();
        QVERIFY(m_state->engine().alerts().isEmpty());
        QTRY_COMPARE(QJsonDocument::fromJson(readFile(m_state->engine().alertsPath())).array().size(), 0);
        QVERIFY(QJsonDocument::fromJson(readFile(m_state->engine().alertsPath())).isArray());
        // "Alerts stored" counts the state's alerts, which the engine's list does not change.
        QCOMPARE(model.alertsStored(), 2);
    }

    // The line names only what is really watched, from the same watch states as the panel's rows.
    void monitoringStartsAndStops()
    {
        Settings().setProtectionEnabled(false);
        start();
        auto* source = new SilentSource;
        m_state->engine().setSources({source});
        SettingsModel model(*m_state);
        QSignalSpy changed(&model, &SettingsModel::monitoringChanged);
        QCOMPARE(model.monitoringText(), "Stopped");
        QCOMPARE(model.monitoringButtonText(), "Start Monitoring");
        model.toggleMonitoring();
        QTRY_VERIFY(model.isMonitoring());
        QCOMPARE(model.monitoringText(),
                 QString::fromUtf8("Active — camera, microphone & location monitored"));
        QCOMPARE(model.monitoringButtonText(), "Stop Monitoring");
        const qsizetype before = changed.size();
        Q_EMIT source->watchUnavailable("location", "no GeoClue");
        QVERIFY(changed.size() > before);
        QCOMPARE(model.monitoringText(), QString::fromUtf8("Active — camera & microphone monitored"));
        model.toggleMonitoring();
        QTRY_VERIFY(!model.isMonitoring());
    }

    void monitoringLineNamesWhatIsWatched_data()
    {
        QTest::addColumn<bool>("monitoring");
        QTest::addColumn<QStringList>("watched");
        QTest::addColumn<QString>("line");
        const QStringList all{"camera", "microphone", "location"};
        QTest::newRow("all") << true << all << "Active — camera, microphone & location monitored";
        QTest::newRow("no location") << true << QStringList{"camera", "microphone"}
                                     << "Active — camera & microphone monitored";
        QTest::newRow("microphone alone")
            << true << QStringList{"microphone"} << "Active — microphone monitored";
        QTest::newRow("nothing watchable")
            << true << QStringList{} << "Active — nothing can be watched on this computer";
        QTest::newRow("stopped") << false << all << "Stopped";
    }
    void monitoringLineNamesWhatIsWatched()
    {
        QFETCH(bool, monitoring);
        QFETCH(QStringList, watched);
        QFETCH(QString, line);
        QCOMPARE(SettingsModel::monitoringText(monitoring, watched), line);
    }

    // Where no tray shows the icon the settings say how to get one; GNOME's way is its extension.
    void trayAdviceWhereNoTrayShowsTheIcon_data()
    {
        QTest::addColumn<bool>("trayShown");
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("mentions");
        const int onLinux = int(Platform::Kind::Linux);
        QTest::newRow("a tray is shown") << true << onLinux << "GNOME"
                                         << "";
        QTest::newRow("stock GNOME") << false << onLinux << "GNOME"
                                     << "AppIndicator extension";
        QTest::newRow("Ubuntu's GNOME") << false << onLinux << "ubuntu:GNOME"
                                        << "AppIndicator extension";
        QTest::newRow("another desktop") << false << onLinux << "sway"
                                         << "from your applications";
        QTest::newRow("macOS has its menu bar") << false << int(Platform::Kind::MacOS) << ""
                                                << "";
    }
    void trayAdviceWhereNoTrayShowsTheIcon()
    {
        QFETCH(bool, trayShown);
        QFETCH(int, platform);
        QFETCH(QString, desktop);
        QFETCH(QString, mentions);
        const QString advice = SettingsModel::trayAdviceFor(trayShown, Platform::Kind(platform), desktop);
        QCOMPARE(advice.isEmpty(), mentions.isEmpty());
        QVERIFY2(advice.contains(mentions), qPrintable(advice));
    }

    void trayAdviceFollowsTheTray()
    {
        start();
        SettingsModel model(*m_state);
        QSignalSpy changed(&model, &SettingsModel::trayAdviceChanged);
        QVERIFY(model.trayAdvice().isEmpty());
        m_state->setTrayShown(false);
        QCOMPARE(changed.size(), 1);
        QVERIFY(!model.trayAdvice().isEmpty());
        m_state->setTrayShown(false);
        QCOMPARE(changed.size(), 1);
    }

    void linuxSourcesAreProbed()
    {
        QTemporaryDir root;
        QDir().mkpath(root.path() + "/proc/self/fd");
        QDir().mkpath(root.path() + "/dev");
        QFile(root.path() + "/dev/video0").open(QIODevice::WriteOnly);
        const QString pwDump = root.path() + "/pw-dump";
        QFile tool(pwDump);
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        tool.close();
        const QString pactl = root.path() + "/pactl";
        QFile::copy(pwDump, pactl);
        const QString run = root.path() + "/run";
        QDir().mkpath(run + "/pulse");
        SettingsModel::Probes probes{
            root.path() + "/proc",           root.path() + "/dev", pwDump, pactl, run,
            root.path() + "/geoclue.service"};
        const auto availability = [&] {
            QList<bool> available;
            for (const auto& source : SettingsModel::probeSources(probes))
                available << source.available;
            return available;
        };
        // Installed sound tools with no server running watch nothing.
        QCOMPARE(availability(), (QList<bool>{true, true, false, false, false}));
        QFile(run + "/pipewire-0").open(QIODevice::WriteOnly);
        QCOMPARE(availability(), (QList<bool>{true, true, true, false, false}));
        QFile(run + "/pulse/native").open(QIODevice::WriteOnly);
        QFile(root.path() + "/geoclue.service").open(QIODevice::WriteOnly);
        QFile::remove(root.path() + "/dev/video0");
        QFile::remove(pwDump);
        QCOMPARE(availability(), (QList<bool>{true, false, false, true, true}));
    }

private:
    // The fake in place is dropped first: its going unsets the tool's variable.
    void fakeSystemctl(const char* output)
    {
        m_systemctl.reset();
        m_systemctl = std::make_unique<FakeTool>("HALVEX_TOOL_SYSTEMCTL", output);
    }

    void start() { m_state = std::make_unique<AppState>(fastOptions()); }

    std::unique_ptr<FakeBackendHome> m_rig;
    std::unique_ptr<FakeTool> m_systemctl;
    std::unique_ptr<AppState> m_state;
};

QTEST_MAIN(DashboardModelTest)
#include "tst_dashboardmodel.moc"
