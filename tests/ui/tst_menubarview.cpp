#include "app/AppNotifications.h"
#include "app/AppState.h"
#include "app/MenuBarModel.h"
#include "model/L10n.h"
#include "monitor/MonitorEngine.h"
#include "platform/PlatformWording.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/QuickItems.h"
#include "support/TestEnvironment.h"
#include "ui/MenuBarPanel.h"

#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

// The panel and its two sheets, loaded offscreen against a real AppState and driven by objectName.
class MenuBarViewTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_rig = std::make_unique<FakeBackendHome>(); }

    void cleanup()
    {
        m_panel.reset();
        m_state.reset();
        m_rig.reset();
    }

    void initTestCase() { QCoreApplication::setApplicationVersion("2.3.4"); }

    void emptyPanelIsAllClear()
    {
        open();
        // The emoji is set in the colour font, and the wording is this platform's.
        QCOMPARE(text("allClearTitle"),
                 QString::fromUtf8("All clear <font face=\"Noto Color Emoji\">😌</font>"));
        QCOMPARE(text("protectionStatus"), PlatformWording::adapt("Your Mac is protected"));
        QCOMPARE(text("version"), "v2.3.4");
        QTRY_COMPARE(text("telegramState"), "Telegram connected");
        QVERIFY(m_state->engine().isMonitoring());
        save("panel-empty");

        click("protectionRow");
        QCOMPARE(text("protectionStatus"), "Monitoring disabled");
        QVERIFY(!Settings().protectionEnabled());
        QTRY_VERIFY(!m_state->engine().isMonitoring());
        QCOMPARE(text("allClearTitle"), "Monitoring inactive");
    }

    void sixGroupsCollapseToFiveAndBlock()
    {
        Settings().setProtectionEnabled(false);
        open();
        const QStringList apps{"zoom.us", "Slack", "Discord", "Safari", "Teams", "OBS"};
        for (const QString& app : apps)
            m_state->engine().recordAlert("camera", app, std::nullopt);
        m_state->engine().recordAlert("network", "curl", std::nullopt); // filtered at level 1, still counted
        QTRY_COMPARE(m_panel->model()->groupCount(), 6);
        QCOMPARE(text("accessCount"), L10nCount(7));
        QCOMPARE(item("activityList")->property("count").toInt(), 5);
        QVERIFY(item("seeMore")->isVisible());
        click("seeMore");
        QCOMPARE(item("activityList")->property("count").toInt(), 6);
        QCOMPARE(text("seeMoreText"), "Show less");
        QTest::qWait(50);
        save("panel-six-groups-expanded");

        click("block_0");
        QVERIFY(m_panel->model()->blockingApp().has_value());
        QTRY_COMPARE(m_panel->model()->blockedApps().size(), 1);
        const auto posts = m_rig->backend.requestsTo("POST", "/api/command");
        QCOMPARE(posts.size(), 1);
        QVERIFY(posts.first().body.contains("block camera OBS"));

        click("clearButton");
        QTRY_COMPARE(m_panel->model()->groupCount(), 0);
        QVERIFY(m_state->engine().alerts().isEmpty());
    }

    void cleanupRunningShowsItsStep()
    {
        Settings().setProtectionEnabled(false);
        open();
        click("freeUpSpace");
        QVERIFY(m_panel->model()->cleanup()->isRunning());
        QCOMPARE(text("cleanStepLabel"), "Cleaning the cache…");
        QTest::qWait(50);
        save("panel-cleanup-running");
        QTRY_VERIFY(!m_panel->model()->cleanup()->isRunning());
        QVERIFY(!text("quickResult").isEmpty());
    }

    void telegramDisconnectNeedsConfirm()
    {
        Settings().setProtectionEnabled(false);
        open();
        QTRY_COMPARE(text("telegramState"), "Telegram connected");
        save("panel-telegram-connected");
        click("disconnectButton");
        QCOMPARE(item("disconnectButton")->property("text").toString(), "Confirm");
        m_rig->backend.telegramStatus["configured"] = false;
        click("disconnectButton");
        QTRY_COMPARE(text("telegramState"), "Not connected");
        QVERIFY(item("setUpTelegram")->isVisible());
    }

    // The panel's own buttons, as the tray application wires them: "Set up Telegram →" asks for the
    // set-up window, "Open Dashboard" opens the dashboard, "Quit" ends the application.
    void panelButtonsDoWhatTheySay()
    {
        m_rig->backend.telegramStatus = {};
        Settings().setProtectionEnabled(false);
        m_state = std::make_unique<AppState>();
        int dashboards = 0;
        std::unique_ptr<TrayPanel> made =
            MenuBarPanel::make(*m_state, TrayPanel::Mode::Window, [&dashboards] { ++dashboards; });
        m_panel.reset(static_cast<MenuBarPanel*>(made.release()));
        m_panel->toggle();
        QVERIFY(QTest::qWaitForWindowExposed(m_panel->view()));

        QSignalSpy onboarding(&AppNotifications::instance(), &AppNotifications::showOnboardingPosted);
        QTRY_VERIFY(item("setUpTelegram")->isVisible());
        click("setUpTelegram");
        QCOMPARE(onboarding.size(), 1);
        click("openDashboard");
        QCOMPARE(dashboards, 1);

        QTimer giveUp;
        giveUp.setSingleShot(true);
        connect(&giveUp, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        giveUp.start(10000);
        QTimer::singleShot(0, m_panel.get(), [this] { click("quitButton"); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    void sheetsEditTheirSettings()
    {
        Settings().setProtectionEnabled(false);
        open();
        QCOMPARE(item("privacyAutoButton")->property("text").toString(), "Automate");
        click("privacyAutoButton");
        QVERIFY(item("privacyAutoSheet")->isVisible());
        click("app_zoom");
        click("app_chrome");
        click("level_2");
        QCOMPARE(Settings().privacyWhitelist(), "chrome,zoom");
        QCOMPARE(Settings().privacyLevel(), 2);
        QTest::qWait(50);
        save("sheet-privacy");
        click("privacyDone");
        QCOMPARE(item("privacyAutoButton")->property("text").toString(), "Auto-Block: ON");

        click("autoCleanButton");
        QVERIFY(item("autoCleanSheet")->isVisible());
        QCOMPARE(text("everyN"), L10n::everyN(24));
        QVERIFY(!item("lastCleanup")->isVisible());
        click("enableSwitch");
        QVERIFY(Settings().autoCleanEnabled());
        // Enabled and never run: the first clean-up runs at once, and the sheet says so.
        QTRY_VERIFY(!m_rig->backend.requestsTo("POST", "/api/command").isEmpty());
        QCOMPARE(m_rig->backend.requestsTo("POST", "/api/command").first().json().value("command").toString(),
                 "clean-cache");
        QTRY_VERIFY(item("lastCleanup")->isVisible());
        QVERIFY(text("lastCleanup").startsWith("Last clean-up: "));
        QVERIFY(m_state->autoClean().armedInMs().has_value()); // and the next one waits its interval
        QTest::qWait(50);
        save("sheet-autoclean");
        click("cleanDone");
        QCOMPARE(item("autoCleanButton")->property("text").toString(), "Auto-Clean: ON");
    }

    // Hidden for the release delay, the panel gives back its window, engine and model; the next
    // opening builds them again.
    void hiddenPanelIsReleasedAndRebuilt()
    {
        open();
        m_panel->setReleaseDelay(200);
        m_panel->toggle();
        QVERIFY(!m_panel->view()->isVisible());
        QTRY_VERIFY(!m_panel->isCreated());
        m_panel->toggle();
        QVERIFY(QTest::qWaitForWindowExposed(m_panel->view()));
        QVERIFY(m_panel->model());
    }

    // Content taller than the screen's available height scrolls inside a panel of that height, and
    // the sensor rows say what is really watched.
    void tallContentScrollsAndSensorsAreHonest()
    {
        Settings().setProtectionEnabled(false);
        open();
        const QStringList apps{"zoom.us", "Slack", "Discord", "Safari", "Teams",  "OBS",
                               "Skype",   "Meet",  "Webex",   "Jitsi",  "Signal", "Firefox"};
        for (const QString& app : apps)
            m_state->engine().recordAlert("camera", app, std::nullopt);
        QTRY_COMPARE(m_panel->model()->groupCount(), int(apps.size()));
        click("seeMore");
        const int available = m_panel->view()->screen()->availableGeometry().height();
        QQuickItem* root = m_panel->view()->rootObject();
        QTRY_VERIFY(root->property("naturalHeight").toReal() > available);
        QTRY_COMPARE(m_panel->view()->height(), available);
        QVERIFY(item("panelScroller")->property("interactive").toBool());
        QCOMPARE(item("sensor_camera")->property("status").toString(), "Paused");
        QTest::qWait(50);
        save("panel-scrolling");
    }

private:
    static QString L10nCount(int n) { return L10n::accessCount(n); }

    void open()
    {
        m_state = std::make_unique<AppState>();
        m_panel = std::make_unique<MenuBarPanel>(*m_state, TrayPanel::Mode::Window);
        m_panel->toggle();
        QVERIFY(QTest::qWaitForWindowExposed(m_panel->view()));
        QVERIFY(m_panel->view()->rootObject());
    }

    QQuickItem* item(const char* name)
    {
        QQuickItem* found = QuickItems::find(m_panel->view(), name);
        if (!found)
            qFatal("no item %s", name);
        return found;
    }

    QString text(const char* name) { return item(name)->property("text").toString(); }

    void click(const char* name) { QVERIFY2(QuickItems::click(m_panel->view(), name), name); }

    void save(const QString& name)
    {
        const QImage image = m_panel->view()->grabWindow();
        QVERIFY(!image.isNull());
        QDir().mkpath(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots"));
        QVERIFY(image.save(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/") + name + ".png"));
    }

    std::unique_ptr<FakeBackendHome> m_rig;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<MenuBarPanel> m_panel;
};

QTEST_MAIN(MenuBarViewTest)
#include "tst_menubarview.moc"
