#include "automation/AutomationScheduler.h"
#include "backend/HalvexClient.h"
#include "fakes/FakeBotApi.h"
#include "model/Timestamp.h"
#include "monitor/LinuxDeviceWatcher.h"
#include "monitor/VideoDeviceWatcher.h"
#include "platform/Settings.h"
#include "service/BackendService.h"
#include "service/EventRecorder.h"
#include "service/IdleMemoryRelease.h"
#include "support/Awaited.h"
#include "support/FakeProcTree.h"
#include "support/TestEnvironment.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>

#include <unistd.h>

namespace {

// A source that reports what the test tells it to.
class ScriptedSource : public AccessSource
{
public:
    void start() override {}
    void stop() override {}
};

} // namespace

// A whole backend in the test's process, with a clock of the test's own: automations run at their
// aligned times and their results go to the linked Telegram chat; recorded accesses reach the API.
class BackendServiceTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeBotApi> m_botApi;
    std::unique_ptr<BackendService> m_service;
    std::unique_ptr<HalvexClient> m_client;
    std::shared_ptr<std::atomic<qint64>> m_offsetMs = std::make_shared<std::atomic<qint64>>(0);
    int m_idleReleaseMs = 5000;

    // From now on the backend's clock reads `fakeNow`, and runs on from there.
    void setClock(const QDateTime& fakeNow) { *m_offsetMs = QDateTime::currentDateTime().msecsTo(fakeNow); }
    QDateTime backendNow() const { return QDateTime::currentDateTime().addMSecs(*m_offsetMs); }

    void linkTelegram()
    {
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { m_client->saveTelegramToken(QStringLiteral("123:abc"), c, d); }));
        m_botApi->addUpdates(QJsonArray{FakeBotApi::messageUpdate(1, 4242)});
        const auto linked = awaitResult<std::optional<TelegramAuthResult>>(
            [&](auto c, auto d) { m_client->authorizeTelegram(c, d); });
        QVERIFY(linked && linked->success);
    }

    QStringList automationTexts() const
    {
        QStringList texts;
        for (const FakeBotApi::Request& request : m_botApi->requests(QStringLiteral("sendMessage"))) {
            const QString text = request.json().value(QStringLiteral("text")).toString();
            if (text.startsWith(QStringLiteral("⏰")))
                texts.append(text);
        }
        return texts;
    }

    // A backend on a free port, with the test's clock and the given detection sources.
    void startService(std::function<std::vector<AccessSource*>()> sources = {},
                      int schedulerMaxWaitMs = AutomationScheduler::defaultMaxWaitMs)
    {
        BackendService::Options options;
        options.schedulerMaxWaitMs = schedulerMaxWaitMs;
        options.idleReleaseMs = m_idleReleaseMs;
        options.port = 0;
        options.databasePath = m_home->dataDirectory() + QStringLiteral("/backend.db");
        auto offset = m_offsetMs;
        options.clock = [offset] { return QDateTime::currentDateTime().addMSecs(*offset); };
        options.sources = std::move(sources);
        m_service = std::make_unique<BackendService>(options);
        QString error;
        QVERIFY2(m_service->start(&error), qPrintable(error));
        Settings().setValue(SettingsKey::serverURL,
                            QStringLiteral("http://127.0.0.1:%1").arg(m_service->port()));
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_botApi = std::make_unique<FakeBotApi>();
        qputenv("HALVEX_TELEGRAM_API", m_botApi->origin().toUtf8());
        m_client = std::make_unique<HalvexClient>();
    }

    void cleanup()
    {
        m_client.reset();
        m_service.reset();
        m_botApi.reset();
        qunsetenv("HALVEX_TELEGRAM_API");
        m_home.reset();
    }

    void blockEndsTheProcessesTheSourcesSaw()
    {
        FakeTool pkill(QStringLiteral("HALVEX_TOOL_PKILL"), {}, 1);
        ScriptedSource* source = nullptr;
        startService([&source] {
            source = new ScriptedSource;
            return std::vector<AccessSource*>{source};
        });
        QVERIFY(source);
        QProcess seen;
        QProcess bystander;
        seen.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        bystander.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(seen.waitForStarted() && bystander.waitForStarted());
        const std::optional<ProcessFacts> facts =
            ProcessFiles::read(QStringLiteral("/proc"), seen.processId());
        QVERIFY(facts);
        Q_EMIT source->processesSeen(QStringLiteral("org.example.LongFlatpakName"), {*facts});

        const auto reply = awaitResult<std::optional<QString>>([&](auto c, auto d) {
            m_client->executeCommand(QStringLiteral("block camera org.example.LongFlatpakName"), c, d);
        });
        QVERIFY(reply && reply->contains(QStringLiteral("force-quit")));
        QTRY_COMPARE(seen.state(), QProcess::NotRunning);
        QCOMPARE(bystander.state(), QProcess::Running);
        QCOMPARE(pkill.calls().size(), 0);
        // Nothing seen is left: the exact name is tried, and the answer says nothing was running.
        const auto again = awaitResult<std::optional<QString>>([&](auto c, auto d) {
            m_client->executeCommand(QStringLiteral("block camera org.example.LongFlatpakName"), c, d);
        });
        QVERIFY(again && again->contains(QStringLiteral("No running app named")));
        QCOMPARE(pkill.calls().size(), 1);
        bystander.kill();
        bystander.waitForFinished();
    }

    void runsAtAlignedTimeAndPostsTheResult()
    {
        startService();
        linkTelegram();
        const QDate today = QDate::currentDate();
        setClock(QDateTime(today, QTime(10, 29, 59, 600)));
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { m_client->enableAutomation(QStringLiteral("camera-status"), c, d); }));
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { m_client->enableAutomation(QStringLiteral("firewall-status"), c, d); }));
        QCOMPARE(m_service->scheduler().nextRunOf(QStringLiteral("camera-status")),
                 QDateTime(today, QTime(10, 30)));
        QCOMPARE(m_service->scheduler().nextRunOf(QStringLiteral("firewall-status")),
                 QDateTime(today, QTime(12, 0)));

        QTRY_COMPARE_WITH_TIMEOUT(automationTexts().size(), 1, 15000);
        const QString text = automationTexts().first();
        QVERIFY2(text.startsWith(QStringLiteral("⏰ Camera (Every 30 min)\n\n📹 Camera")), qPrintable(text));
        const FakeBotApi::Request sent = m_botApi->requests(QStringLiteral("sendMessage")).last();
        QCOMPARE(sent.json().value(QStringLiteral("chat_id")).toString(), QStringLiteral("4242"));
        QCOMPARE(FakeBotApi::tokenOf(sent), QStringLiteral("123:abc"));
        // The next run of the 30-minute skill is the next multiple; the 2-hour one still waits for noon.
        QCOMPARE(m_service->scheduler().nextRunOf(QStringLiteral("camera-status")),
                 QDateTime(today, QTime(11, 0)));
        QCOMPARE(m_service->scheduler().nextRun(), QDateTime(today, QTime(11, 0)));
        const auto automations =
            awaitResult<QList<Automation>>([&](auto c, auto d) { m_client->fetchAutomations(c, d); });
        QCOMPARE(automations.size(), 2);
    }

    // The wall clock moves on without the timer (a sleep of the machine, the clock set): the run
    // comes at its wall-clock time, not a whole timer's wait later.
    void runsOnTimeAfterTheClockJumps()
    {
        startService({}, 200);
        const QDate today = QDate::currentDate();
        setClock(QDateTime(today, QTime(9, 0)));
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { m_client->enableAutomation(QStringLiteral("camera-status"), c, d); }));
        QCOMPARE(m_service->scheduler().nextRun(), QDateTime(today, QTime(9, 30)));
        QSignalSpy finished(&m_service->scheduler(), &AutomationScheduler::automationFinished);
        setClock(QDateTime(today, QTime(9, 29, 59, 800)));
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.first().at(0).toString(), QStringLiteral("camera-status"));
        QCOMPARE(m_service->scheduler().nextRun(), QDateTime(today, QTime(10, 0)));
    }

    void disabledAutomationsDoNotRun()
    {
        startService();
        linkTelegram();
        const QDate today = QDate::currentDate();
        setClock(QDateTime(today, QTime(13, 59, 59, 700)));
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { m_client->enableAutomation(QStringLiteral("microphone-status"), c, d); }));
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { m_client->disableAutomation(QStringLiteral("microphone-status"), c, d); }));
        QVERIFY(!m_service->scheduler().nextRun().isValid());
        QTest::qWait(800);
        QVERIFY(automationTexts().isEmpty());
    }

    // The alerts answer is kept between changes; a new access shows at once.
    void recordedAccessesReachTheApi()
    {
        startService();
        setClock(QDateTime(QDate(2025, 3, 12), QTime(9, 15, 42, 517)));
        QVERIFY(awaitResult<QList<SecurityAlert>>([&](auto c, auto d) {
                    m_client->fetchAlerts(c, d);
                }).isEmpty());
        m_service->events().record(QStringLiteral("Camera"), QStringLiteral("cheese"),
                                   QStringLiteral("/dev/video0"));
        const auto alerts =
            awaitResult<QList<SecurityAlert>>([&](auto c, auto d) { m_client->fetchAlerts(c, d); });
        QCOMPARE(alerts.size(), 1);
        QCOMPARE(alerts[0].type, QStringLiteral("camera"));
        QCOMPARE(alerts[0].app, QStringLiteral("cheese"));
        QCOMPARE(alerts[0].details, std::optional<QString>(QStringLiteral("/dev/video0")));
        // The test's clock runs on from 09:15:42.517 local time.
        const std::optional<QDateTime> stamped = Timestamp::parse(alerts[0].timestamp);
        QVERIFY(stamped);
        const qint64 after = QDateTime(QDate(2025, 3, 12), QTime(9, 15, 42, 517)).msecsTo(*stamped);
        QVERIFY(after >= 0 && after < 5000);
        const auto stats =
            awaitResult<std::optional<DashboardStats>>([&](auto c, auto d) { m_client->fetchStats(c, d); });
        QVERIFY(stats);
        QCOMPARE(stats->today, 1);
        QCOMPARE(stats->byApp.value(QStringLiteral("cheese")), 1);
    }

    // Memory is handed back after start-up and after a burst of requests, never in the middle of one,
    // and the service answers as before once it has been.
    void servingMemoryIsReleasedOnlyWhenQuiet()
    {
        m_idleReleaseMs = 1000;
        startService();
        QSignalSpy released(&m_service->idleRelease(), &IdleMemoryRelease::released);
        QTRY_COMPARE(released.size(), 1);
        for (int request = 0; request < 12; ++request) {
            m_service->events().record(QStringLiteral("Microphone"), QStringLiteral("app%1").arg(request),
                                       {});
            QVERIFY(awaitResult<std::optional<DashboardStats>>(
                [&](auto c, auto d) { m_client->fetchStats(c, d); }));
            QTest::qWait(100);
        }
        QCOMPARE(released.size(), 1);
        QTRY_COMPARE(released.size(), 2);
        const auto alerts =
            awaitResult<QList<SecurityAlert>>([&](auto c, auto d) { m_client->fetchAlerts(c, d); });
        QCOMPARE(alerts.size(), 12);
    }

    // The Linux device watcher is halvexd's source of events, as it is the application's.
    void deviceWatcherAccessesBecomeEvents()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        QTemporaryDir missingTools;
        qputenv("HALVEX_TOOL_PW_DUMP", (missingTools.path() + QStringLiteral("/pw-dump")).toUtf8());
        qputenv("HALVEX_TOOL_PACTL", (missingTools.path() + QStringLiteral("/pactl")).toUtf8());
        VideoDeviceWatcher* camera = nullptr;
        startService([&] {
            LinuxDeviceWatcherConfig config;
            config.procRoot = tree.procRoot();
            config.devRoot = tree.devRoot();
            config.systemOwnerUid = ::getuid();
            config.systemBus = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                             QStringLiteral("nowhere"));
            auto* watcher = new LinuxDeviceWatcher(config);
            camera = &watcher->camera();
            return std::vector<AccessSource*>{watcher};
        });
        QTRY_COMPARE(camera->watchedNodes(), QStringList{video0});
        tree.addProcess(4321, QStringLiteral("cheese"), QString(), {video0});
        QFile node(video0);
        QVERIFY(node.open(QIODevice::ReadOnly));
        node.close();
        QTRY_VERIFY_WITH_TIMEOUT(!awaitResult<QList<SecurityAlert>>([&](auto c, auto d) {
                                      m_client->fetchAlerts(c, d);
                                  }).isEmpty(),
                                 10000);
        const auto alerts =
            awaitResult<QList<SecurityAlert>>([&](auto c, auto d) { m_client->fetchAlerts(c, d); });
        QCOMPARE(alerts.size(), 1);
        QCOMPARE(alerts[0].type, QStringLiteral("camera"));
        QCOMPARE(alerts[0].app, QStringLiteral("cheese"));
        qunsetenv("HALVEX_TOOL_PW_DUMP");
        qunsetenv("HALVEX_TOOL_PACTL");
    }

    void withoutLinkedChatNothingIsSent()
    {
        startService();
        const QDate today = QDate::currentDate();
        setClock(QDateTime(today, QTime(7, 59, 59, 700)));
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { m_client->enableAutomation(QStringLiteral("memory-usage"), c, d); }));
        QSignalSpy finished(&m_service->scheduler(), &AutomationScheduler::automationFinished);
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.first().at(0).toString(), QStringLiteral("memory-usage"));
        QVERIFY(finished.first().at(1).toString().contains(QLatin1String("Memory:")));
        QVERIFY(m_botApi->requests(QStringLiteral("sendMessage")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(BackendServiceTest)
#include "tst_backendservice.moc"
