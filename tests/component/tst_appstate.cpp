#include "app/AppState.h"
#include "model/MonitoringProfiles.h"
#include "monitor/MonitorEngine.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

namespace {

QSet<QString> setOf(const QStringList& ids)
{
    return QSet<QString>(ids.cbegin(), ids.cend());
}

AppState::Options fastOptions()
{
    AppState::Options options;
    options.clientTimeouts = {2000, 2000};
    options.backendDelays = {10, 10};
    return options;
}

} // namespace

// The application state against a fake backend on loopback.
class AppStateTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_rig = std::make_unique<FakeBackendHome>(); }

    void cleanup() { m_rig.reset(); }

    void startUpPublishesEveryLoad()
    {
        m_rig->backend.alerts = {{"camera", "Zoom", "", "2025-03-01T09:00:00.000Z", std::nullopt}};
        m_rig->backend.automations = {{"port-scan", true}, {"disk-usage", false}};
        m_rig->backend.customSkills =
            QJsonArray{QJsonObject{{"id", "c1"}, {"name", "N"}, {"emoji", "💾"}, {"script", "ls"}}};
        Settings().setTelegramChatId("7");
        AppState state(fastOptions());
        QTRY_VERIFY(state.isConnected());
        QTRY_COMPARE(state.alerts(), m_rig->backend.alerts);
        QTRY_VERIFY(state.stats().has_value());
        QCOMPARE(state.stats()->today, 2);
        QTRY_VERIFY(state.telegramStatus().has_value());
        QTRY_VERIFY(state.xmtpStatus().has_value());
        QTRY_COMPARE(state.automatedSkillIds(), QSet<QString>{"port-scan"});
        QTRY_COMPARE(state.customSkills().size(), 1);
        QCOMPARE(state.alertModel()->rowCount(), 1);
        QCOMPARE(Settings().telegramChatId(), QStringLiteral("42"));
    }

    void emptyTelegramChatIdKeepsTheStoredOne()
    {
        m_rig->backend.telegramStatus = {{"botUsername", "b"}, {"chatId", ""}, {"configured", false}};
        Settings().setTelegramChatId("7");
        AppState state(fastOptions());
        QTRY_VERIFY(state.telegramStatus().has_value());
        QCOMPARE(Settings().telegramChatId(), QStringLiteral("7"));
    }

    void fastRefreshInterval_data()
    {
        QTest::addColumn<QVariant>("setting");
        QTest::addColumn<int>("intervalMs");
        QTest::newRow("absent") << QVariant() << 5000;
        QTest::newRow("zero") << QVariant(0) << 5000;
        QTest::newRow("negative") << QVariant(-2) << 5000;
        QTest::newRow("fractional") << QVariant(2.5) << 2500;
        QTest::newRow("tiny: clamped to 1 s") << QVariant(0.001) << 1000;
        QTest::newRow("huge: clamped to 1 h") << QVariant(1e12) << 3600000;
    }

    void fastRefreshInterval()
    {
        QFETCH(QVariant, setting);
        QFETCH(int, intervalMs);
        if (setting.isValid())
            Settings().setValue(SettingsKey::refreshInterval, setting);
        AppState state(fastOptions());
        QCOMPARE(state.fastRefreshIntervalMs(), intervalMs);
        QCOMPARE(state.slowRefreshIntervalMs(), 30000);
    }

    void refreshCadenceAndNoRepeatedConnectionCheck()
    {
        Settings().setValue(SettingsKey::refreshInterval, 2.5);
        AppState state(fastOptions());
        QTest::qWait(5600);
        // The start-up load and two ticks of the fast timer; the slow timer has not fired yet.
        for (const char* path : {"/api/alerts", "/api/stats", "/api/xmtp-address", "/api/config/bot-info"})
            QCOMPARE(m_rig->backend.requestsTo("GET", path).size(), 3);
        QCOMPARE(m_rig->backend.requestsTo("GET", "/api/automations").size(), 1);
        QCOMPARE(m_rig->backend.requestsTo("GET", "/api/status").size(), 1);
    }

    // With no view on screen the fast refresh pauses and the slow one brings the tray's inputs; a
    // view that shows resumes it with a refresh at once.
    void fastRefreshPausesWhileNoViewShows()
    {
        Settings().setValue(SettingsKey::refreshInterval, 1);
        AppState::Options options = fastOptions();
        options.slowRefreshMs = 2500;
        AppState state(options);
        QTRY_COMPARE(m_rig->backend.requestsTo("GET", "/api/stats").size(), 1);
        state.setViewsShown(false);
        QVERIFY(!state.isFastRefreshActive());
        QTest::qWait(2000);
        QCOMPARE(m_rig->backend.requestsTo("GET", "/api/stats").size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_rig->backend.requestsTo("GET", "/api/stats").size(), 2, 3000);
        QCOMPARE(m_rig->backend.requestsTo("GET", "/api/alerts").size(), 2);
        // Only the icon's inputs while unseen: nothing the views alone show.
        QCOMPARE(m_rig->backend.requestsTo("GET", "/api/automations").size(), 1);
        QCOMPARE(m_rig->backend.requestsTo("GET", "/api/xmtp-address").size(), 1);
        state.setViewsShown(true);
        QVERIFY(state.isFastRefreshActive());
        QTRY_COMPARE_WITH_TIMEOUT(m_rig->backend.requestsTo("GET", "/api/stats").size(), 3, 500);
        QTRY_COMPARE_WITH_TIMEOUT(m_rig->backend.requestsTo("GET", "/api/automations").size(), 2, 500);
    }

    // Unlike isConnected, which only the connection check moves, the backend's answering follows
    // every statistics poll: the tray shows a backend that stopped.
    void backendAnsweringFollowsThePolls()
    {
        Settings().setValue(SettingsKey::refreshInterval, 1);
        AppState state(fastOptions());
        QTRY_VERIFY(state.backendAnswering());
        m_rig->backend.goDown();
        QTRY_VERIFY_WITH_TIMEOUT(!state.backendAnswering(), 5000);
        QVERIFY(state.isConnected());
    }

    void backendThatStopsPublishesFailureValuesButStaysConnected()
    {
        Settings().setValue(SettingsKey::refreshInterval, 0.2);
        m_rig->backend.alerts = {{"camera", "Zoom", "", "2025-03-01T09:00:00.000Z", std::nullopt}};
        AppState::Options options = fastOptions();
        options.slowRefreshMs = 200;
        m_rig->backend.automations = {{"port-scan", true}};
        AppState state(options);
        QTRY_VERIFY(state.stats().has_value());
        QTRY_COMPARE(state.automatedSkillIds().size(), 1);
        m_rig->backend.goDown();
        QTRY_VERIFY(!state.stats().has_value());
        QTRY_VERIFY(state.alerts().isEmpty());
        QTRY_VERIFY(!state.telegramStatus().has_value());
        QTRY_VERIFY(state.automatedSkillIds().isEmpty());
        QVERIFY(state.isConnected());
    }

    void toggleAutomationIsOptimisticWithRollBack()
    {
        m_rig->backend.automations = {{"port-scan", true}, {"firewall-status", true}};
        m_rig->backend.refusedSkillIds = {"wifi-scan", "firewall-status"};
        AppState state(fastOptions());
        QTRY_COMPARE(state.automatedSkillIds().size(), 2);

        state.toggleAutomation("disk-usage");
        QVERIFY(state.automatedSkillIds().contains("disk-usage")); // at once, before the answer
        state.toggleAutomation("wifi-scan");
        QVERIFY(state.automatedSkillIds().contains("wifi-scan"));
        state.toggleAutomation("firewall-status");
        QVERIFY(!state.automatedSkillIds().contains("firewall-status"));
        state.toggleAutomation("port-scan");

        QTRY_VERIFY(!state.automatedSkillIds().contains("wifi-scan"));
        QTRY_VERIFY(state.automatedSkillIds().contains("firewall-status"));
        QCOMPARE(state.automatedSkillIds(), (QSet<QString>{"disk-usage", "firewall-status"}));
        QCOMPARE(m_rig->backend.automations.value("port-scan"), false);
        QCOMPARE(m_rig->backend.automations.value("disk-usage"), true);
    }

    void applyProfileFromParanoidToEssentiel()
    {
        const QStringList paranoid = *profileSkills(u"paranoid");
        const QStringList essentiel = *profileSkills(u"essentiel");
        for (const QString& id : paranoid)
            m_rig->backend.automations[id] = true;
        AppState state(fastOptions());
        QTRY_COMPARE(state.automatedSkillIds(), setOf(paranoid));
        m_rig->backend.server().clearRequests();
        QSignalSpy applying(&state, &AppState::isApplyingProfileChanged);

        state.applyProfile("essentiel");
        QVERIFY(state.isApplyingProfile());
        QTRY_VERIFY(!state.isApplyingProfile());

        const QStringList calls = m_rig->backend.automationCalls();
        QCOMPARE(calls.size(), paranoid.size() - essentiel.size());
        QCOMPARE(calls.size(), 31);
        for (const QString& call : calls)
            QVERIFY2(call.startsWith('-') && !essentiel.contains(call.mid(1)), qPrintable(call));
        QCOMPARE(state.automatedSkillIds(), setOf(essentiel));
        QCOMPARE(state.selectedProfile(), QStringLiteral("essentiel"));
        QCOMPARE(Settings().automationProfile(), QStringLiteral("essentiel"));
        QCOMPARE(applying.size(), 2);
    }

    void applyProfileEnablesMissingAndDisablesStrays()
    {
        m_rig->backend.automations = {{"custom-thing", true}};
        AppState state(fastOptions());
        QTRY_COMPARE(state.automatedSkillIds().size(), 1);
        m_rig->backend.server().clearRequests();
        state.applyProfile("essentiel");
        QTRY_VERIFY(!state.isApplyingProfile());
        const QStringList calls = m_rig->backend.automationCalls();
        const QStringList essentiel = *profileSkills(u"essentiel");
        QCOMPARE(calls.first(), QStringLiteral("-custom-thing")); // every disable comes first
        QCOMPARE(calls.size(), essentiel.size() + 1);
        QCOMPARE(state.automatedSkillIds(), setOf(essentiel));
    }

    void unknownProfileChangesNothing()
    {
        AppState state(fastOptions());
        QTRY_VERIFY(state.isConnected());
        m_rig->backend.server().clearRequests();
        state.applyProfile("relaxed");
        QVERIFY(!state.isApplyingProfile());
        QTest::qWait(200);
        QVERIFY(m_rig->backend.server().requests().isEmpty());
        QCOMPARE(Settings().automationProfile(), std::nullopt);
        QCOMPARE(state.selectedProfile(), std::nullopt);
    }

    void applyProfileWithTheBackendDown()
    {
        m_rig->backend.automations = {{"port-scan", true}};
        AppState state(fastOptions());
        QTRY_COMPARE(state.automatedSkillIds().size(), 1);
        m_rig->backend.goDown();
        state.applyProfile("business");
        QTRY_VERIFY(!state.isApplyingProfile());
        QCOMPARE(state.selectedProfile(), QStringLiteral("business"));
        QCOMPARE(Settings().automationProfile(), QStringLiteral("business"));
        QVERIFY(state.automatedSkillIds().isEmpty());
    }

    void backendServiceIsLaunchedOnlyAfterOnboarding_data()
    {
        QTest::addColumn<bool>("onboarded");
        QTest::addColumn<bool>("unitFile");
        QTest::addColumn<int>("calls");
        QTest::newRow("first run") << false << true << 0;
        // Once onboarded, systemd is asked whether the unit is installed, then told to enable and start it.
        QTest::newRow("onboarded, no unit") << true << false << 1;
        QTest::newRow("onboarded with unit") << true << true << 3;
    }

    void backendServiceIsLaunchedOnlyAfterOnboarding()
    {
        QFETCH(bool, onboarded);
        QFETCH(bool, unitFile);
        QFETCH(int, calls);
        FakeTool systemctl("HALVEX_TOOL_SYSTEMCTL", unitFile ? "loaded\n" : "not-found\n");
        Settings().setHasOnboarded(onboarded);
        AppState state(fastOptions());
        QTRY_VERIFY(state.isConnected());
        QTest::qWait(300);
        QCOMPARE(systemctl.calls().size(), calls);
        if (calls)
            QCOMPARE(systemctl.calls().last(),
                     (calls == 1 ? QStringList{"--user", "show", "-p", "LoadState", "--value",
                                               "halvex-backend.service"}
                                 : QStringList{"--user", "start", "halvex-backend.service"}));
        QCOMPARE(state.hasOnboarded(), onboarded);
    }

    void engineAlertsAreMirrored()
    {
        AppState state(fastOptions());
        QSignalSpy mirrored(&state, &AppState::engineAlertsChanged);
        state.engine().recordAlert("camera", "Zoom", std::nullopt);
        QVERIFY(state.engineAlerts().isEmpty()); // delivered through the main queue
        QTRY_COMPARE(state.engineAlerts().size(), 1);
        QCOMPARE(state.engineAlerts(), state.engine().alerts());
        QCOMPARE(state.engineAlertModel()->data(state.engineAlertModel()->index(0), AlertListModel::AppRole),
                 QVariant("Zoom"));
        QCOMPARE(mirrored.size(), 1);
    }

private:
    std::unique_ptr<FakeBackendHome> m_rig;
};

QTEST_GUILESS_MAIN(AppStateTest)
#include "tst_appstate.moc"
