#include "app/AppState.h"
#include "app/DashboardModel.h"
#include "app/DashboardRules.h"
#include "app/OnDemandWindow.h"
#include "app/SettingsModel.h"
#include "app/StrikeScan.h"
#include "monitor/MonitorEngine.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/QuickItems.h"
#include "support/ServiceCalls.h"
#include "support/TestEnvironment.h"
#include "ui/DashboardWindow.h"

#include <QDir>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

namespace {

SecurityAlert alertOf(const QString& type, const QString& app, std::optional<QString> details = std::nullopt)
{
    return {type,
            app,
            {},
            QDateTime::currentDateTimeUtc().addSecs(-90).toString(Qt::ISODateWithMs),
            std::move(details)};
}

} // namespace

// The dashboard and the settings window, loaded offscreen against a real AppState with the fake
// backend and driven by objectName as a user would.
class DashboardTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationVersion("2.3.4"); }

    void init()
    {
        m_rig = std::make_unique<FakeBackendHome>();
        m_systemctl = std::make_unique<FakeTool>("HALVEX_TOOL_SYSTEMCTL", "not-found\n");
        Settings().setHasOnboarded(true);
        Settings().setProtectionEnabled(false);
    }

    void cleanup()
    {
        m_window.reset();
        m_systemctl.reset();
        m_state.reset();
        m_rig.reset();
    }

    void feedBlocksAndExplains()
    {
        FakeTool pkill("HALVEX_TOOL_PKILL", {}, 1);
        m_rig->backend.alerts << alertOf("camera", "zoom.us", QStringLiteral("pid 4242 opened /dev/video0"))
                              << alertOf("camera", "zoom.us") << alertOf("camera", "zoom.us")
                              << alertOf("microphone", "Recorder") << alertOf("camera", "Recorder")
                              << alertOf("microphone", "coreaudiod")
                              << alertOf("location", "Maps", QString());
        openDashboard();
        QTRY_COMPARE(m_window->model()->feedCount(), 4);
        QTRY_VERIFY(item("statToday")->isVisible());
        QCOMPARE(item("statToday")->property("value").toString(), "2");
        QCOMPARE(item("statAllTime")->property("value").toString(), "3");
        QCOMPARE(text("monitoringState"), "STANDBY");
        QCOMPARE(text("headline_0"), QString::fromUtf8("Zoom a regardé par ta caméra · 3×"));
        QCOMPARE(text("count_0"), QString::fromUtf8("×3"));
        QCOMPARE(text("headline_1"), QString::fromUtf8("Recorder a accédé à le micro et la caméra"));
        QVERIFY(item("chevron_0")->isVisible());
        QVERIFY(!item("chevron_1")->isVisible());
        QVERIFY(!item("chevron_3")->isVisible()); // empty details: no chevron either
        click("chevron_0");
        QTRY_VERIFY(item("details_0")->isVisible());
        QTest::qWait(200);
        save(m_window.get(), "dashboard-alerts");

        click("block_0");
        QTRY_VERIFY(isShown("confirmTitle"));
        QCOMPARE(text("confirmTitle"), "Bloquer Zoom ?");
        QCOMPARE(text("confirmMessage"),
                 "Cette action va forcer la fermeture de Zoom. Tu pourras la rouvrir normalement.");
        click("confirmBlockButton");
        QCOMPARE(text("blockLabel_0"), QString::fromUtf8("Bloqué"));
        QVERIFY(pkill.waitForCalls(1));
        QCOMPARE(pkill.calls(), (QList<QStringList>{{"-x", "-i", "zoom\\.us"}}));
        QTRY_VERIFY(!isShown("confirmTitle"));
        click("block_0"); // blocked: nothing happens
        QTest::qWait(100);
        QVERIFY(!isShown("confirmTitle"));

        click("why_2");
        QTRY_VERIFY(isShown("whyExplanation"));
        QCOMPARE(text("whyApp"), "System audio");
        QCOMPARE(text("whyExplanation"), m_window->model()->feed()->rows().at(2).explanation);
        QVERIFY(text("whyExplanation").startsWith("System audio is a built-in system component."));
        QCOMPARE(text("whyRisk"), "Normal");
        QTest::qWait(200);
        save(m_window.get(), "dashboard-why");
        click("whyClose");
        QTRY_VERIFY(!isShown("whyExplanation"));

        // The feed keeps its state across a tab change.
        click("tab_settings");
        click("tab_alerts");
        QCOMPARE(text("blockLabel_0"), QString::fromUtf8("Bloqué"));
        QVERIFY(item("details_0")->isVisible());
    }

    void tabsSwitchAndTheEmptyFeed()
    {
        openDashboard();
        QTRY_VERIFY(m_state->isConnected());
        QVERIFY(item("alertsEmptyState")->isVisible());
        QCOMPARE(text("emptyTitle"), "All clear ");
        QTest::qWait(100);
        save(m_window.get(), "dashboard-empty");

        const struct
        {
            const char* tab;
            const char* content;
        } tabs[] = {
            {"tab_settings", "settingsTab"}, {"tab_control", "consoleSlot"}, {"tab_alerts", "alertsTab"}};
        for (const auto& step : tabs) {
            click(step.tab);
            for (const char* content : {"alertsTab", "consoleSlot", "settingsTab"}) {
                const bool selected = qstrcmp(content, step.content) == 0;
                QCOMPARE(item(content)->opacity(), selected ? 1.0 : 0.0);
                QCOMPARE(item(content)->isEnabled(), selected);
            }
        }
        click("tab_settings");
        QTRY_COMPARE(text("servicesState"), "Running");
        QVERIFY(!item("startBackend")->isVisible());
        QCOMPARE(text("footerVersion"), QString::fromUtf8("Halvex · v2.3.4"));
        for (const char* slot : {"telegramCardSlot", "automationsSlot", "threatScanSlot"})
            QVERIFY2(QuickItems::find(m_window->contentItem(), QString::fromLatin1(slot)), slot);
        QTest::qWait(100);
        save(m_window.get(), "dashboard-settings");

        QVERIFY(!item("threatScanSlot")->isVisible());
        click("strikeButton");
        QVERIFY(m_window->model()->showStrike());
        QVERIFY(item("threatScanSlot")->isVisible());
    }

    // "Starting…" stays for the whole delay; the connection check then decides, here still down.
    void servicesCardStartsTheBackend()
    {
        m_systemctl.reset();
        m_systemctl = std::make_unique<FakeTool>("HALVEX_TOOL_SYSTEMCTL", "loaded\n");
        Settings().setHasOnboarded(false); // no launch at start: only the card's calls follow
        m_rig->backend.goDown();
        openDashboard();
        m_window->model()->onboarding()->dismiss(); // the first-run sheet is not what this test is about
        click("tab_settings");
        QTRY_VERIFY(item("startBackend")->isVisible());
        QCOMPARE(text("servicesState"), "Not running");
        QCOMPARE(text("startLabel"), "Start");
        const qsizetype before = m_systemctl->calls().size();
        click("startBackend");
        QCOMPARE(text("startLabel"), QString::fromUtf8("Starting…"));
        QTest::qWait(2500);
        QCOMPARE(text("startLabel"), QString::fromUtf8("Starting…"));
        QTRY_COMPARE_WITH_TIMEOUT(text("startLabel"), "Start", 3000);
        QCOMPARE(ServiceCalls::commands(m_systemctl->calls().mid(before)),
                 (QList<QStringList>{{"--user", "stop", "halvex-backend.service"},
                                     {"--user", "start", "halvex-backend.service"}}));
        // The connection check that ends "Starting…" asks systemd again whether the unit is there.
        QTRY_VERIFY(ServiceCalls::askedAfterTheCommands(m_systemctl->calls()));
        QVERIFY(item("startBackend")->isVisible());
    }

    void strikeFillFollowsTheThreat()
    {
        openDashboard();
        const QQuickItem* strike = item("strikeButton");
        QCOMPARE(strike->property("fillOpacity").toReal(), 0.14);
        m_state->engine().recordAlert("camera", "Spy", std::nullopt);
        QTRY_COMPARE(strike->property("fillOpacity").toReal(), 0.25);
    }

    // Six scans at once: rows turn as replies come, two stay running; the paranoid switch waits for
    // all six. Reopening starts six new scans.
    void strikeScansLiveAndActivatesParanoid()
    {
        m_rig->backend.commandResults["rootkit-scanner"] = "Rootkit checks: none found";
        m_rig->backend.commandResults["keylogger-detector"] =
            "Possible keylogger detected: pid 4242 (logkeys) reads /dev/input/event3";
        m_rig->backend.commandResults["dns-leak-test"] = "DNS leak: none (every query goes through wg0)";
        m_rig->backend.silentCommands = {"dns-leak-test", "process-list"};
        openDashboard();
        QTRY_VERIFY(m_state->isConnected());
        click("strikeButton");
        QTRY_VERIFY(isShown("strikeSheet"));
        const StrikeScan* scan = m_window->model()->strike();
        QVERIFY(scan);
        QTRY_COMPARE(scan->finishedCount(), 4);
        const char* expected[] = {"clean", "threat", "clean", "running", "clean", "running"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(
                item(qPrintable(QStringLiteral("strikeStatus_%1").arg(i)))->property("status").toString(),
                QString::fromLatin1(expected[i]));
        QVERIFY(isShown("strikeResult_1"));
        QVERIFY(!isShown("strikeResult_3"));
        QVERIFY(isShown("strikeProgress"));
        QVERIFY(!isShown("strikeDone"));
        QVERIFY(!item("activateParanoid")->isEnabled());
        QCOMPARE(item("activateParanoid")->opacity(), 0.4);
        click("activateParanoid");
        QTest::qWait(100);
        QVERIFY(!scan->paranoidActivated());
        QTest::qWait(200);
        save(m_window.get(), "strike-running");

        click("strikeClose");
        QTRY_VERIFY(!item("threatScanSlot")->isVisible());
        QVERIFY(!m_window->model()->strike());
        m_rig->backend.silentCommands.clear();
        m_rig->backend.server().clearRequests();
        click("strikeButton");
        QTRY_VERIFY(isShown("strikeSheet"));
        scan = m_window->model()->strike();
        QTRY_VERIFY(scan->allFinished());
        QCOMPARE(m_rig->backend.requestsTo("POST", "/api/command").size(), 6);
        QTRY_VERIFY(isShown("strikeDone"));
        QVERIFY(!isShown("strikeProgress"));
        QVERIFY(item("activateParanoid")->isEnabled());
        QTest::qWait(200);
        save(m_window.get(), "strike-done");

        click("activateParanoid");
        QTRY_VERIFY(isShown("paranoidActivated"));
        QVERIFY(!isShown("activateParanoid"));
        QTRY_COMPARE(m_state->selectedProfileText(), "paranoid");

        // Escape closes the sheet, as its close button does.
        QTest::keyClick(m_window.get(), Qt::Key_Escape);
        QTRY_VERIFY(!item("threatScanSlot")->isVisible());
    }

    // "Annuler" closes the confirmation and blocks nothing; a row's details open and close again.
    void blockCancelledAndDetailsCollapsed()
    {
        FakeTool pkill("HALVEX_TOOL_PKILL", {}, 1);
        m_rig->backend.alerts << alertOf("camera", "zoom.us", QStringLiteral("pid 4242 opened /dev/video0"));
        openDashboard();
        QTRY_COMPARE(m_window->model()->feedCount(), 1);
        click("block_0");
        QTRY_VERIFY(isShown("confirmTitle"));
        click("confirmCancel");
        QTRY_VERIFY(!isShown("confirmTitle"));
        QTest::qWait(200);
        QVERIFY(pkill.calls().isEmpty());
        QCOMPARE(text("blockLabel_0"), "Bloquer");

        QVERIFY(!isShown("details_0"));
        click("chevron_0");
        QTRY_VERIFY(isShown("details_0"));
        click("chevron_0");
        QTRY_VERIFY(!isShown("details_0"));
    }

    // A scan's result shows all of its first 120 characters, over as many lines as it takes; the
    // sheet scrolls when six such rows are taller than the window.
    void strikeResultsShowInFull()
    {
        const QString longResult = QStringLiteral("Checked 214 processes for hidden modules\n"
                                                  "Kernel modules: 87 loaded, 87 signed\n"
                                                  "Hidden ports: none\n"
                                                  "Suspicious files: /tmp/.x11-unix-cache (owner root), "
                                                  "/var/tmp/.font-cache (owner root)");
        QVERIFY(longResult.size() > 120);
        const QString preview = longResult.left(120);
        QCOMPARE(preview.count(u'\n'), 3);
        for (const char* id : {"rootkit-scanner", "keylogger-detector", "network-sniff-detector",
                               "dns-leak-test", "clipboard-monitor", "process-list"})
            m_rig->backend.commandResults[QString::fromLatin1(id)] = longResult;
        openDashboard(QSize(1000, 700));
        QTRY_VERIFY(m_state->isConnected());
        click("strikeButton");
        QTRY_VERIFY(isShown("strikeSheet"));
        QTRY_VERIFY(m_window->model()->strike()->allFinished());
        QVERIFY(QQuickTest::qWaitForPolish(m_window.get()));
        for (int i = 0; i < 6; ++i) {
            const QQuickItem* result = item(qPrintable(QStringLiteral("strikeResult_%1").arg(i)));
            const QQuickItem* row = item(qPrintable(QStringLiteral("strikeRow_%1").arg(i)));
            QTRY_COMPARE(result->property("text").toString(), preview);
            QVERIFY(!result->property("truncated").toBool());
            QVERIFY2(result->property("lineCount").toInt() >= 4, qPrintable(QString::number(i)));
            QVERIFY(result->height() >= result->implicitHeight());
            const QRectF inRow = result->mapRectToItem(row, QRectF(0, 0, result->width(), result->height()));
            QVERIFY(QRectF(0, 0, row->width(), row->height()).contains(inRow));
        }
        const QQuickItem* scroll = item("strikeScroll");
        const QQuickItem* sheet = item("strikeSheet");
        QVERIFY(scroll->height() <= m_window->height());
        QCOMPARE(scroll->property("contentHeight").toReal(), sheet->height());
        QTest::qWait(200);
        save(m_window.get(), "strike-long-results");
    }

    // The Telegram card's disconnect confirmation closed with Escape disconnects nothing.
    void disconnectDialogEscapeKeepsTheBot()
    {
        openDashboard();
        QTRY_VERIFY(m_state->telegramStatus().has_value());
        click("tab_settings");
        QTRY_VERIFY(isShown("disconnectTelegram"));
        click("disconnectTelegram");
        QTRY_VERIFY(isShown("disconnectTitle"));
        QTest::keyClick(m_window.get(), Qt::Key_Escape);
        QTRY_VERIFY(!isShown("disconnectTitle"));
        QTest::qWait(200);
        QCOMPARE(m_rig->backend.requestsTo("POST", "/api/setup").size(), 0);
        QVERIFY(isShown("telegramConnected"));
    }

    // Profiles are confirmed on their sheet, single skills switched on theirs, both reach the backend.
    void automationsSwitchProfilesAndSkills()
    {
        m_rig->backend.automations["rootkit-scanner"] = true;
        openDashboard(QSize(1000, 1250));
        click("tab_settings");
        QTRY_VERIFY(item("activeTasks")->isVisible());
        QCOMPARE(text("activeTasksCount"), "1 ACTIVE TASKS");
        QVERIFY(item("chip_rootkit-scanner")->isVisible());
        QVERIFY(!item("activeBadge_business")->isVisible());

        click("profileCard_business");
        QTRY_VERIFY(isShown("demoActivate"));
        QCOMPARE(text("demoTitle"), "Business");
        QCOMPARE(text("demoLine_0"), "Everything in Essential, plus:");
        QTest::qWait(200);
        save(m_window.get(), "profile-demo");
        click("demoActivate");
        QTRY_VERIFY(!isShown("demoActivate"));
        QTRY_VERIFY(item("activeBadge_business")->isVisible());
        QTRY_VERIFY(!m_state->isApplyingProfile());
        QTRY_COMPARE(text("activeTasksCount"), "12 ACTIVE TASKS");

        QVERIFY(!item("skillGridFrame")->isVisible());
        click("customizeToggle");
        QTRY_COMPARE(item("skillGridFrame")->height(), item("autoSkillGrid")->height());
        QVERIFY(item("autoDot_camera-status")->isVisible());
        QVERIFY(!item("autoDot_ssd-health")->isVisible());
        QVERIFY(!QuickItems::find(m_window->contentItem(), "autoSkill_block"));
        QTest::qWait(200);
        save(m_window.get(), "automations");

        click("autoSkill_camera-status");
        QTRY_VERIFY(isShown("autoSkillToggle"));
        QCOMPARE(text("autoSkillBadge"), "AUTO");
        QCOMPARE(text("autoSkillSchedule"), "Every 30 min");
        QVERIFY(text("autoSkillNextRun").startsWith("In "));
        QCOMPARE(text("autoSkillToggleText"), "Disable Auto");
        QTest::qWait(200);
        save(m_window.get(), "auto-skill-sheet");
        m_rig->backend.server().clearRequests();
        click("autoSkillToggle");
        QTRY_VERIFY(!isShown("autoSkillToggle"));
        QTRY_VERIFY(!item("autoDot_camera-status")->isVisible());
        QTRY_COMPARE(m_rig->backend.automationCalls(), QStringList{"-camera-status"});
    }

    void settingsWindowShowsItsSections()
    {
        m_rig->backend.xmtpStatus = QJsonObject{{"running", true}};
        m_rig->backend.alerts << alertOf("camera", "Zoom");
        m_state = std::make_unique<AppState>();
        SettingsWindow window(*m_state);
        QCOMPARE(window.size(), QSize(450, 520));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(QuickItems::text(&window, "xmtpAddress"), "Unavailable");
        QVERIFY(QuickItems::find(&window, "copyAddress")->isVisible());
        QVERIFY(!QuickItems::find(&window, "xmtpHint")->isVisible());
        QTRY_COMPARE(QuickItems::text(&window, "alertsStored"), "1");
        QCOMPARE(QuickItems::text(&window, "monitoringState"), "Stopped");
        QCOMPARE(QuickItems::text(&window, "aboutVersion"), "2.3.4");
        QVERIFY(QuickItems::find(&window, "source_0"));
        QTest::qWait(200);
        save(&window, "settings-window");

        QVERIFY(QuickItems::click(&window, "toggleMonitoring"));
        QTRY_VERIFY(m_state->engine().isMonitoring());
        QTRY_COMPARE(QuickItems::text(&window, "toggleMonitoring"), "Stop Monitoring");
        m_state->engine().stop();
    }

    // Closing releases the window and its engine; opening again builds a new one, a second open raises.
    void dashboardIsReleasedWhenClosed()
    {
        m_state = std::make_unique<AppState>();
        int settingsOpened = 0;
        OnDemandWindow dashboard([this, &settingsOpened] {
            return DashboardWindow::make(*m_state, [&settingsOpened] { ++settingsOpened; });
        });
        QSignalSpy released(&dashboard, &OnDemandWindow::released);
        dashboard.open();
        QPointer<QWindow> first = dashboard.window();
        QVERIFY(first);
        QCOMPARE(first->title(), "Halvex");
        // Opens at its designed size; tiling compositors may make it as narrow as half a small
        // screen, and a window without a maximum is tiled rather than floated.
        QCOMPARE(first->size(), QSize(1000, 700));
        QCOMPARE(first->minimumSize(), QSize(640, 600));
        QCOMPARE(first->maximumSize(), QWindow().maximumSize()); // none set
        QVERIFY(QTest::qWaitForWindowExposed(first));
        dashboard.open();
        QCOMPARE(dashboard.window(), first.data());

        auto* view = static_cast<DashboardWindow*>(first.data());
        view->model()->openSettings();
        QCOMPARE(settingsOpened, 1);

        first->close();
        QTRY_COMPARE(released.size(), 1);
        QVERIFY(!first);
        QVERIFY(!dashboard.window());
        dashboard.open();
        QVERIFY(dashboard.window());
        QVERIFY(QTest::qWaitForWindowExposed(dashboard.window()));
    }

private:
    void openDashboard(QSize size = {})
    {
        m_state = std::make_unique<AppState>();
        m_window = std::make_unique<DashboardWindow>(*m_state, [] {});
        if (size.isValid())
            m_window->resize(size);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(m_window->rootObject());
    }

    // Popups hang under the window's overlay, beside the root item: search from the content item.
    QQuickItem* item(const char* name)
    {
        QQuickItem* found = QuickItems::find(m_window->contentItem(), QString::fromLatin1(name));
        if (!found)
            qFatal("no item %s", name);
        return found;
    }

    QString text(const char* name) { return item(name)->property("text").toString(); }

    // A popup's items join the window only while it is open.
    bool isShown(const char* name)
    {
        const QQuickItem* found = QuickItems::find(m_window->contentItem(), QString::fromLatin1(name));
        return found && found->isVisible();
    }

    void click(const char* name)
    {
        QQuickItem* target = item(name);
        QVERIFY2(target->isVisible(), name);
        const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        QTest::mouseClick(m_window.get(), Qt::LeftButton, {}, centre.toPoint());
    }

    void save(QQuickWindow* window, const QString& name)
    {
        const QImage image = window->grabWindow();
        QVERIFY(!image.isNull());
        QDir().mkpath(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots"));
        QVERIFY(image.save(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/") + name + ".png"));
    }

    std::unique_ptr<FakeBackendHome> m_rig;
    std::unique_ptr<FakeTool> m_systemctl;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<DashboardWindow> m_window;
};

QTEST_MAIN(DashboardTest)
#include "tst_dashboard.moc"
