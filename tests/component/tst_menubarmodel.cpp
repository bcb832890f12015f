#include "app/AppState.h"
#include "app/CleanupRun.h"
#include "app/MenuBarModel.h"
#include "fakes/FakeHttpServer.h"
#include "model/L10n.h"
#include "model/Timestamp.h"
#include "monitor/AccessSource.h"
#include "monitor/MonitorEngine.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/LoopbackPort.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

// A source that reports nothing by itself; tests emit its signals.
class SilentSource : public AccessSource
{
public:
    void start() override {}
    void stop() override {}
};

// The panel's view model against a real AppState talking to a fake backend: list rules, block, the
// Telegram disconnect, the update check, the CPU cell, and the cleanup run's timers and gains.

class MenuBarModelTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationVersion("1.9.0"); }

    void init()
    {
        m_rig = std::make_unique<FakeBackendHome>();
        Settings().setProtectionEnabled(false);
        m_state = std::make_unique<AppState>();
    }

    void cleanup()
    {
        m_state.reset();
        m_rig.reset();
    }

    void listCollapsesFromSixGroups_data()
    {
        QTest::addColumn<int>("apps");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("hidden");
        QTest::newRow("five") << 5 << 5 << 0;
        QTest::newRow("six") << 6 << 5 << 1;
        QTest::newRow("eight") << 8 << 5 << 3;
    }
    void listCollapsesFromSixGroups()
    {
        QFETCH(int, apps);
        QFETCH(int, shown);
        QFETCH(int, hidden);
        MenuBarModel model(*m_state, quietOptions());
        for (int i = 0; i < apps; ++i)
            m_state->engine().recordAlert("camera", QStringLiteral("App%1").arg(i), std::nullopt);
        QTRY_COMPARE(model.groupCount(), apps);
        QCOMPARE(model.rows()->rowCount(), shown);
        QCOMPARE(model.hiddenCount(), hidden);
        if (hidden > 0)
            QCOMPARE(model.seeMoreText(), L10n::seeMore(hidden));
        model.setShowAllAlerts(true);
        QCOMPARE(model.rows()->rowCount(), apps);
        QCOMPARE(model.hiddenCount(), 0);
    }

    void filteredRecordsStillCount()
    {
        Settings().setValue(SettingsKey::privacyWhitelist, QStringLiteral("chrome"));
        MenuBarModel model(*m_state, quietOptions());
        m_state->engine().recordAlert("camera", "zoom.us", std::nullopt);
        m_state->engine().recordAlert("network", "curl", std::nullopt);         // level 1 lists no network
        m_state->engine().recordAlert("camera", "Google Chrome", std::nullopt); // whitelisted
        QTRY_COMPARE(m_state->engineAlerts().size(), 3);
        QCOMPARE(model.groupCount(), 1);
        QCOMPARE(model.accessCountText(), L10n::accessCount(3));
    }

    void blockIsSentOnceAndMarksTheRow()
    {
        MenuBarModel model(*m_state, quietOptions());
        m_state->engine().recordAlert("microphone", "Discord", std::nullopt);
        QTRY_COMPARE(model.groupCount(), 1);
        const QString id = model.allGroups().first().id;

        model.block(id);
        QCOMPARE(model.blockingApp(), std::optional<QString>(id));
        QVERIFY(model.rows()->rows().first().blocking);
        model.block(id); // in flight: refused
        QTRY_VERIFY(model.blockedApps().contains(id));
        QVERIFY(!model.blockingApp());
        QVERIFY(model.rows()->rows().first().blocked);
        model.block(id); // already blocked
        QTest::qWait(100);
        const auto posts = m_rig->backend.requestsTo("POST", "/api/command");
        QCOMPARE(posts.size(), 1);
        QCOMPARE(posts.first().json().value("command").toString(), "block microphone Discord");
    }

    void secondBlockInFlightIsQueuedThenSent()
    {
        MenuBarModel model(*m_state, quietOptions());
        m_state->engine().recordAlert("microphone", "Discord", std::nullopt);
        m_state->engine().recordAlert("camera", "Zoom", std::nullopt);
        QTRY_COMPARE(model.groupCount(), 2);
        const QString first = model.allGroups().at(0).id;
        const QString second = model.allGroups().at(1).id;

        model.block(first);
        model.block(second); // the first is in flight: queued, shown as blocking
        QVERIFY(model.isBlockQueued(second));
        model.block(second); // queued once only
        QTRY_VERIFY(model.blockedApps().contains(first) && model.blockedApps().contains(second));
        QVERIFY(!model.blockingApp());
        QTest::qWait(100);
        QStringList commands;
        for (const auto& post : m_rig->backend.requestsTo("POST", "/api/command"))
            commands.append(post.json().value("command").toString());
        const QString firstApp = model.allGroups().at(0).app;
        QCOMPARE(commands.size(), 2);
        QVERIFY(commands.at(0).endsWith(u' ' + firstApp));
        QVERIFY(commands.at(1) != commands.at(0));
    }

    void unconfirmedDisconnectReverts()
    {
        MenuBarModel model(*m_state, quietOptions());
        QTRY_VERIFY(model.isTelegramConnected());
        model.requestDisconnect();
        QVERIFY(model.showDisconnectConfirm());
        QTRY_VERIFY(!model.showDisconnectConfirm());
        QVERIFY(model.isTelegramConnected());
        QCOMPARE(m_rig->backend.requestsTo("POST", "/api/setup").size(), 0);
    }

    void confirmedTwiceDisconnectsOnce()
    {
        Settings().setValue(SettingsKey::telegramBotToken, QStringLiteral("123:abc"));
        Settings().setValue(SettingsKey::telegramChatId, QStringLiteral("42"));
        MenuBarModel model(*m_state, quietOptions());
        QTRY_VERIFY(m_state->telegramStatus().has_value());
        m_rig->backend.telegramStatus["configured"] = false;
        model.requestDisconnect();
        model.disconnectTelegram();
        model.disconnectTelegram();
        QVERIFY(!model.showDisconnectConfirm());
        QVERIFY(!Settings().telegramBotToken());
        QVERIFY(!Settings().contains(SettingsKey::telegramChatId));
        QVERIFY(!model.isTelegramConnected());
        QTRY_VERIFY(!model.isDisconnecting());
        QTest::qWait(100);
        QCOMPARE(m_rig->backend.requestsTo("POST", "/api/setup").size(), 1);
        QVERIFY(!model.isTelegramConnected());
    }

    // With the backend down the row shows what the settings hold, and follows a token stored by any
    // screen: the set-up window writes the settings only.
    void telegramRowFollowsTheStoredToken()
    {
        Settings().setValue(SettingsKey::serverURL,
                            QStringLiteral("http://127.0.0.1:%1").arg(closedLoopbackPort()));
        m_state = std::make_unique<AppState>();
        MenuBarModel model(*m_state, quietOptions());
        QSignalSpy changed(&model, &MenuBarModel::telegramChanged);
        QVERIFY(!model.isTelegramConnected());
        Settings().setTelegramBotToken(QStringLiteral("123:abc"));
        QTRY_COMPARE(changed.size(), 1);
        QVERIFY(model.isTelegramConnected());
        Settings().setTelegramChatId(QStringLiteral("42")); // another key: the row stays as it is
        Settings().remove(SettingsKey::telegramBotToken);
        QTRY_COMPARE(changed.size(), 2);
        QVERIFY(!model.isTelegramConnected());
    }

    void updateCheck_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<bool>("offered");
        QTest::newRow("newer by number")
            << QByteArray("{\"version\":\"1.10.0\",\"dmg\":\"https://x.test/h.dmg\"}") << true;
        QTest::newRow("same") << QByteArray("{\"version\":\"1.9.0\",\"dmg\":\"https://x.test/h.dmg\"}")
                              << false;
        QTest::newRow("older") << QByteArray("{\"version\":\"1.8.9\",\"dmg\":\"https://x.test/h.dmg\"}")
                               << false;
        QTest::newRow("not a version")
            << QByteArray("{\"version\":\"2.x\",\"dmg\":\"https://x.test/h.dmg\"}") << false;
        QTest::newRow("no address") << QByteArray("{\"version\":\"2.0.0\"}") << false;
        QTest::newRow("not json") << QByteArray("<html>") << false;
    }
    void updateCheck()
    {
        QFETCH(QByteArray, document);
        QFETCH(bool, offered);
        FakeHttpServer vendor;
        vendor.setReply({200, document});
        MenuBarModel::Options options = quietOptions();
        options.vendorUrl = vendor.baseUrl();
        MenuBarModel model(*m_state, options);
        model.checkForUpdates();
        QVERIFY(vendor.waitForRequests(1));
        QCOMPARE(vendor.requests().first().path(), "/version.json");
        QTest::qWait(100);
        QCOMPARE(model.updateAvailable(), offered);
        if (offered)
            QCOMPARE(model.updateURL(), QUrl("https://x.test/h.dmg"));
    }

    // Each sensor row says how its watch really stands, with the source's reason when it failed, and
    // the panel's texts speak this platform's words.
    void sensorRowsAreHonest()
    {
        Settings().setProtectionEnabled(true);
        auto* source = new SilentSource;
        m_state->engine().setSources({source});
        MenuBarModel model(*m_state, quietOptions());
        QSignalSpy changed(&model, &MenuBarModel::sensorsChanged);
        const auto statuses = [&model] {
            QStringList list;
            for (const QVariant& row : model.sensors())
                list << row.toMap().value("label").toString() + ": " + row.toMap().value("status").toString();
            return list;
        };
        QCOMPARE(statuses(), (QStringList{"Camera: Paused", "Microphone: Paused", "Location: Paused"}));
        m_state->engine().start();
        QCOMPARE(statuses(),
                 (QStringList{"Camera: Monitored", "Microphone: Monitored", "Location: Monitored"}));
        Q_EMIT source->watchUnavailable("location", "system bus: no socket");
        QVERIFY(changed.size() >= 2);
        QCOMPARE(statuses(),
                 (QStringList{"Camera: Monitored", "Microphone: Monitored", "Location: Unavailable"}));
        const QVariantMap location = model.sensors().at(2).toMap();
        QCOMPARE(location.value("reason").toString(), "system bus: no socket");
        QCOMPARE(location.value("active").toBool(), false);
        QCOMPARE(model.sensors().at(0).toMap().value("active").toBool(), true);

        QCOMPARE(model.protectionStatusText(), "Your computer is protected");
        model.setProtectionEnabled(false);
        QCOMPARE(model.allClearLine(), "Enable protection to monitor your computer");
        QCOMPARE(statuses(), (QStringList{"Camera: Paused", "Microphone: Paused", "Location: Paused"}));
    }

    void cpuCellFollowsTheSensor_data()
    {
        QTest::addColumn<std::optional<double>>("celsius");
        QTest::addColumn<int>("thermal");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QColor>("icon");
        const QColor green = QColor::fromRgbF(0.13f, 0.55f, 0.13f);
        const QColor orange(0xff, 0x95, 0x00);
        const QColor red(0xff, 0x3b, 0x30);
        QTest::newRow("cool") << std::optional<double>(41.6) << 0 << "42°C" << green;
        QTest::newRow("75 is warm") << std::optional<double>(75.0) << 0 << "75°C" << orange;
        QTest::newRow("90 is hot") << std::optional<double>(90.0) << 0 << "90°C" << red;
        QTest::newRow("no sensor, fair") << std::optional<double>() << 1 << "Warm" << orange;
        QTest::newRow("no sensor, critical") << std::optional<double>() << 3 << "Critical" << red;
        // No sensor and no thermal-state service: nothing was measured, so nothing is claimed.
        QTest::newRow("no sensor, no thermal service") << std::optional<double>() << -1 << "–" << QColor();
    }
    void cpuCellFollowsTheSensor()
    {
        QFETCH(std::optional<double>, celsius);
        QFETCH(int, thermal);
        QFETCH(QString, reading);
        QFETCH(QColor, icon);
        MenuBarModel::Options options = quietOptions();
        options.cpuReader = [celsius] { return CpuReading{celsius, std::nullopt}; };
        options.thermalProbe = [thermal] {
            return thermal < 0 ? std::nullopt : std::optional(Thermal::State(thermal));
        };
        MenuBarModel model(*m_state, options);
        QCOMPARE(model.cpuReading(), "–"); // nothing read before the panel appears
        model.appeared();
        QTRY_COMPARE(model.cpuReading(), reading);
        QCOMPARE(model.hasCpuTemp(), celsius.has_value());
        if (icon.isValid())
            QCOMPARE(model.cpuIconColor(), icon);
        else
            QCOMPARE(model.thermalDotColor(), model.cpuIconColor()); // both the secondary colour
    }

    void relativeTimesMoveOnWhileShown()
    {
        QDateTime now = QDateTime::currentDateTimeUtc();
        MenuBarModel::Options options = quietOptions();
        options.clock = [&now] { return now; };
        options.relativeTimeTickMs = 20;
        MenuBarModel model(*m_state, options);
        m_state->engine().recordAlert("camera", "zoom.us", std::nullopt);
        QTRY_COMPARE(model.rows()->rowCount(), 1);
        const auto time = [&] { return model.rows()->rows().first().time; };
        QCOMPARE(time(), "0 sec. ago");
        // From here on the clock counts from the moment the engine stamped the access.
        now = *Timestamp::parse(m_state->engineAlerts().first().timestamp);

        now = now.addSecs(5);
        QTest::qWait(60);
        QCOMPARE(time(), "0 sec. ago"); // not shown: nothing ticks
        model.setShown(true);
        QCOMPARE(time(), "5 sec. ago"); // brought up to date at once
        QSignalSpy changes(model.rows(), &QAbstractItemModel::dataChanged);
        QTest::qWait(60);
        QCOMPARE(changes.size(), 0); // same text: no redraw
        now = now.addSecs(120);
        QTRY_COMPARE(time(), "2 min. ago");
        model.setShown(false);
        now = now.addSecs(3600);
        QTest::qWait(60);
        QCOMPARE(time(), "2 min. ago");
    }

    // The sheets' settings are written through, sliders kept on their steps, and views told only of
    // real changes.
    void automationSettingsWriteThrough()
    {
        AutomationSettings settings;
        QSignalSpy changes(&settings, &AutomationSettings::changed);
        settings.setAutoCleanEnabled(true);
        settings.setAutoCleanEnabled(true);
        settings.setAutoCleanRAM(false);
        settings.setAutoCleanCache(false);
        settings.setAutoCleanTempFiles(true);
        settings.setAutoCleanRAMThreshold(83);
        settings.setAutoCleanRAMThreshold(85); // the same step again
        settings.setAutoCleanIntervalHours(100);
        settings.setPrivacyLevel(2);
        settings.setPrivacyLevel(2);
        QCOMPARE(changes.size(), 7);
        Settings stored;
        QVERIFY(stored.autoCleanEnabled());
        QVERIFY(!stored.autoCleanRAM());
        QVERIFY(!stored.autoCleanCache());
        QVERIFY(stored.autoCleanTempFiles());
        QCOMPARE(stored.autoCleanRAMThreshold(), 85.0);
        QCOMPARE(stored.autoCleanIntervalHours(), 72.0);
        QCOMPARE(stored.privacyLevel(), 2);
        QCOMPARE(settings.ramPctText(), L10n::ramPct(85));
        QCOMPARE(settings.everyNText(), L10n::everyN(72));
    }

    void protectionSwitchDrivesTheEngine()
    {
        MenuBarModel model(*m_state, quietOptions());
        model.appeared();
        QVERIFY(!m_state->engine().isMonitoring()); // protection is off
        model.setProtectionEnabled(true);
        QVERIFY(Settings().protectionEnabled());
        QTRY_VERIFY(m_state->engine().isMonitoring());
        model.setProtectionEnabled(false);
        QTRY_VERIFY(!m_state->engine().isMonitoring());
        Settings().setProtectionEnabled(true);
        model.appeared(); // shown again with protection on: monitoring resumes
        QTRY_VERIFY(m_state->engine().isMonitoring());
        m_state->engine().stop();
    }

    // A cleanup with scripted byte counts and a scripted backend: the gains that pass their
    // thresholds win over the backend's answer, which wins over "Cleanup done".
    // Plain digits and no raw strings in this file: moc does not read them.
    void cleanupReportsGains_data()
    {
        QTest::addColumn<qint64>("diskGain");
        QTest::addColumn<qint64>("ramGain");
        QTest::addColumn<bool>("backendAnswers");
        QTest::addColumn<QString>("result");
        QTest::newRow("answer, small gains")
            << qint64(30000000) << qint64(10000000) << true << "freed 2 files";
        QTest::newRow("disk just over") << qint64(30000001) << qint64(0) << true << "+30 Mo disk";
        QTest::newRow("both") << qint64(2500000000) << qint64(10000001) << true
                              << "+2.5 Go disk · +10 Mo RAM";
        QTest::newRow("silent backend") << qint64(0) << qint64(0) << false << "Cleanup done";
        QTest::newRow("silent backend, gain") << qint64(0) << qint64(52000000) << false << "+52 Mo RAM";
    }
    void cleanupReportsGains()
    {
        QFETCH(qint64, diskGain);
        QFETCH(qint64, ramGain);
        QFETCH(bool, backendAnswers);
        QFETCH(QString, result);
        qint64 disk = 1000000000, ram = 500000000;
        QStringList sent;
        CleanupRun::Reply pending;
        CleanupRun run(
            [&](const QString& command, QObject*, CleanupRun::Reply reply) {
                sent << command;
                pending = std::move(reply);
            },
            {[&] { return disk; }, [&] { return ram; }}, {20, 1000, 10});
        run.run("clean-all");
        QVERIFY(run.isRunning());
        QCOMPARE(run.stepLabel(), "Cleaning the cache…");
        run.run("clean-all"); // one cleanup at a time
        QCOMPARE(sent, QStringList{"clean-all"});
        disk += diskGain;
        ram += ramGain;
        QTRY_COMPARE(run.cleanStep(), 4); // the steps walk on while the backend works
        QTest::qWait(60);
        QCOMPARE(run.cleanStep(), 4); // and stop at the last
        if (backendAnswers)
            pending(QStringLiteral("freed 2 files"));
        QTRY_VERIFY(!run.isRunning());
        QCOMPARE(run.quickResult(), std::optional<QString>(result));
        QCOMPARE(run.cleanStep(), 0);
        QCOMPARE(run.cleanProgress(), 0.0);
        if (!backendAnswers) {
            pending(QStringLiteral("late answer")); // after the give-up: changes nothing
            QTest::qWait(30);
            QCOMPARE(run.quickResult(), std::optional<QString>(result));
        }
    }

    void cleanupGoesThroughTheBackend()
    {
        m_rig->backend.commandResults["clean-all"] = "Freed 12 files";
        MenuBarModel::Options options = quietOptions();
        options.cleanupSources = {[] { return qint64(0); }, [] { return qint64(0); }};
        MenuBarModel model(*m_state, options);
        model.freeUpSpace();
        QVERIFY(model.cleanup()->isRunning());
        QTRY_VERIFY(!model.cleanup()->isRunning());
        QCOMPARE(model.cleanup()->quickResult(), std::optional<QString>("Freed 12 files"));
        QCOMPARE(m_rig->backend.requestsTo("POST", "/api/command").first().json().value("command").toString(),
                 "clean-all");
    }

private:
    // No update check, short timers, and a CPU sensor that reads nothing.
    static MenuBarModel::Options quietOptions()
    {
        MenuBarModel::Options options;
        options.disconnectRevertMs = 150;
        options.cleanupTiming = {50, 2000, 10};
        options.cpuReader = [] { return CpuReading{}; };
        options.thermalProbe = [] { return std::optional<Thermal::State>(); };
        return options;
    }

    std::unique_ptr<FakeBackendHome> m_rig;
    std::unique_ptr<AppState> m_state;
};

QTEST_MAIN(MenuBarModelTest)
#include "tst_menubarmodel.moc"
