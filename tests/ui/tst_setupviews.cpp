#include "app/AppState.h"
#include "app/DashboardModel.h"
#include "app/TelegramCardModel.h"
#include "app/TelegramSetupModel.h"
#include "fakes/FakeBotApi.h"
#include "monitor/TelegramBotApi.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/QuickItems.h"
#include "support/TestEnvironment.h"
#include "ui/DashboardWindow.h"
#include "ui/SetupWindow.h"

#include <QDir>
#include <QQuickItem>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

using namespace std::chrono_literals;

// The set-up window, the dashboard's Telegram card and the onboarding sheet, loaded offscreen and
// driven by objectName as a user would; each state is saved as a PNG for review.
class SetupViewsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<FakeBackendHome>();
        m_systemctl = std::make_unique<FakeTool>("HALVEX_TOOL_SYSTEMCTL", "not-found\n");
        m_api = std::make_unique<FakeBotApi>();
        m_opened.clear();
    }
    void cleanup()
    {
        m_dashboard.reset();
        m_state.reset();
        m_api.reset();
        m_systemctl.reset();
        m_rig.reset();
    }

    void setupWindowWalksToAConnectedBot()
    {
        TelegramSetupModel::Options options;
        options.botApiOrigin = m_api->origin();
        options.chatIdSearch = {30, 50ms};
        options.openUrl = [this](const QUrl& url) { m_opened.append(url); };
        SetupWindow window(options);
        window.model()->api().setTimeouts({2000ms, 2000ms});
        QCOMPARE(window.title(), "Halvex Setup");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(QuickItems::text(&window, "title_0"), "Halvex is active!");
        QCOMPARE(QuickItems::text(&window, "text_0"),
                 "Your computer is now protected. Let's set up alerts together.");
        QCOMPARE(QuickItems::text(&window, "trayHint"), "You'll find me in the system tray of your screen.");
        save(&window, "setup-0-welcome");
        QVERIFY(QuickItems::click(&window, "getStarted"));
        QTRY_VERIFY(shown(&window, "whyTelegramScreen"));
        QTest::qWait(300);
        save(&window, "setup-1-why-telegram");
        QVERIFY(QuickItems::click(&window, "letsGo"));
        QTRY_VERIFY(shown(&window, "botFatherScreen"));
        QTest::qWait(300);
        save(&window, "setup-2-botfather");
        QVERIFY(QuickItems::click(&window, "openBotFather"));
        QCOMPARE(m_opened, QList<QUrl>{QUrl("tg://resolve?domain=BotFather")});
        QVERIFY(QuickItems::click(&window, "haveToken"));
        QTRY_VERIFY(shown(&window, "tokenScreen"));
        QTest::qWait(300);

        QVERIFY(!QuickItems::find(&window, "saveAndContinue")->isEnabled());
        QVERIFY(QuickItems::click(&window, "tokenField"));
        typeText(&window, " 123456:ABC-def ");
        QCOMPARE(window.model()->botToken(), " 123456:ABC-def ");
        QVERIFY(QuickItems::click(&window, "testConnection"));
        QTRY_COMPARE(QuickItems::text(&window, "testResultText"), "Bot verified: @halvex_test_bot");
        QVERIFY(QuickItems::find(&window, "saveAndContinue")->isEnabled());
        save(&window, "setup-3-token-verified");
        QVERIFY(QuickItems::click(&window, "saveAndContinue"));
        QTRY_VERIFY(shown(&window, "doneScreen"));
        QCOMPARE(Settings().telegramBotToken(), "123456:ABC-def");
        QVERIFY(QuickItems::find(&window, "waitingRow")->isVisible());
        QVERIFY(QuickItems::find(&window, "skipDone")->isVisible());
        QTest::qWait(300);
        save(&window, "setup-4-waiting");

        m_api->addUpdates({FakeBotApi::messageUpdate(3, 4242)});
        QTRY_COMPARE(QuickItems::text(&window, "title_4"), "Telegram is connected!");
        QVERIFY(!QuickItems::find(&window, "waitingRow")->isVisible());
        QVERIFY(!QuickItems::find(&window, "skipDone")->isVisible());
        QTRY_COMPARE(m_api->requests("sendMessage").size(), 1);
        save(&window, "setup-4-connected");
        QVERIFY(QuickItems::click(&window, "openMyBot"));
        QCOMPARE(m_opened.constLast(), QUrl("https://t.me/halvex_test_bot"));
        QVERIFY(QuickItems::click(&window, "finish"));
        QVERIFY(Settings().hasOnboarded());
    }

    void setupWindowShowsAFailedTest()
    {
        m_api->queueReply("getMe", {401, R"({"ok":false})"});
        TelegramSetupModel::Options options;
        options.botApiOrigin = m_api->origin();
        SetupWindow window(options);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const char* button : {"getStarted", "letsGo", "haveToken"}) {
            QVERIFY(QuickItems::click(&window, button));
            QTest::qWait(300);
        }
        window.model()->setBotToken("123:wrong");
        QVERIFY(QuickItems::click(&window, "testConnection"));
        QTRY_COMPARE(QuickItems::text(&window, "testResultText"),
                     "Invalid token. Please check and try again.");
        QVERIFY(!QuickItems::find(&window, "saveAndContinue")->isEnabled());
        save(&window, "setup-3-token-invalid");
        QVERIFY(QuickItems::click(&window, "skipToken"));
        QVERIFY(Settings().hasOnboarded());
    }

    void telegramCardStates_data()
    {
        QTest::addColumn<QJsonObject>("status");
        QTest::addColumn<bool>("backendUp");
        QTest::addColumn<QString>("shownPart");
        QTest::addColumn<QString>("shot");
        QTest::newRow("connected") << QJsonObject{{"botUsername", "halvex_bot"},
                                                  {"chatId", "42"},
                                                  {"configured", true}}
                                   << true << "telegramConnected"
                                   << "card-connected";
        QTest::newRow("pending") << QJsonObject{{"botUsername", "halvex_bot"}, {"configured", false}} << true
                                 << "telegramPending"
                                 << "card-pending";
        QTest::newRow("set-up") << QJsonObject() << true << "telegramSetup"
                                << "card-setup";
        QTest::newRow("unavailable") << QJsonObject() << false << "telegramUnavailable"
                                     << "card-unavailable";
    }

    void telegramCardStates()
    {
        QFETCH(QJsonObject, status);
        QFETCH(bool, backendUp);
        QFETCH(QString, shownPart);
        QFETCH(QString, shot);
        Settings().setHasOnboarded(true);
        m_rig->backend.telegramStatus = status;
        m_rig->backend.authorizeReply = {
            200,
            R"({"success":false,"message":"No /start received yet","instructions":["1. Open t.me/halvex_bot","2. Send /start"]})"};
        if (!backendUp)
            m_rig->backend.goDown();
        openDashboard();
        QVERIFY(QuickItems::click(m_dashboard.get(), "tab_settings"));
        QTRY_VERIFY(QuickItems::find(m_dashboard.get(), qPrintable(shownPart))->isVisible());
        for (const char* part :
             {"telegramConnected", "telegramPending", "telegramSetup", "telegramUnavailable"})
            QCOMPARE(QuickItems::find(m_dashboard.get(), part)->isVisible(), shownPart == part);
        if (shownPart == "telegramPending") {
            QVERIFY(QuickItems::click(m_dashboard.get(), "authorizeTelegram"));
            QTRY_COMPARE(QuickItems::text(m_dashboard.get(), "telegramMessage"), "No /start received yet");
            QCOMPARE(QuickItems::text(m_dashboard.get(), "instruction_1"), "2. Send /start");
        }
        if (shownPart == "telegramSetup") {
            QVERIFY(QuickItems::click(m_dashboard.get(), "cardTokenField"));
            typeText(m_dashboard.get(), "123456:ABC-def");
            QCOMPARE(m_dashboard->model()->telegramCard()->botToken(), "123456:ABC-def");
        }
        QTest::qWait(200);
        save(m_dashboard.get(), shot);
        if (shownPart == "telegramConnected") {
            QCOMPARE(QuickItems::text(m_dashboard.get(), "telegramControls"),
                     "@halvex_bot controls your computer");
            QVERIFY(QuickItems::click(m_dashboard.get(), "disconnectTelegram"));
            QTRY_VERIFY(isShown("disconnectTitle"));
            QTest::qWait(200);
            save(m_dashboard.get(), "card-disconnect-confirm");
            m_rig->backend.telegramStatus = {};
            clickInWindow("disconnectConfirmButton");
            QTRY_VERIFY(QuickItems::find(m_dashboard.get(), "telegramSetup")->isVisible());
            QCOMPARE(m_rig->backend.requestsTo("POST", "/api/setup").size(), 1);
        }
    }

    // The dashboard's first-run sheet: the token, then a profile, cancelled once and then confirmed.
    void onboardingSheetWalksToAProfile()
    {
        m_systemctl.reset();
        m_systemctl = std::make_unique<FakeTool>("HALVEX_TOOL_SYSTEMCTL", "loaded\n");
        openDashboard();
        QTRY_VERIFY(isShown("onboardingTokenStep"));
        QVERIFY(!isShown("onboardingProfileStep"));
        QTest::qWait(300);
        save(m_dashboard.get(), "onboarding-0-token");
        clickInWindow("onboardingTokenField");
        typeText(m_dashboard.get(), "123456:ABC-def");
        clickInWindow("onboardingSave");
        QCOMPARE(Settings().telegramBotToken(), "123456:ABC-def");
        QTRY_VERIFY(isShown("onboardingProfileStep"));
        QCOMPARE(text("onboardingWelcomeText"),
                 "Your computer is now protected. Choose your monitoring level to get started.");
        QTest::qWait(300);
        save(m_dashboard.get(), "onboarding-1-profile");

        clickInWindow("profileCard_business");
        QTRY_VERIFY(isShown("demoTitle"));
        QCOMPARE(text("demoTitle"), "Business");
        QTest::qWait(300);
        save(m_dashboard.get(), "onboarding-1-profile-demo");
        clickInWindow("demoCancel");
        QTRY_VERIFY(!isShown("demoTitle"));
        QVERIFY(!m_state->hasOnboarded());
        QVERIFY(isShown("onboardingProfileStep"));
        QCOMPARE(m_rig->backend.automationCalls(), QStringList());

        clickInWindow("profileCard_essentiel");
        QTRY_VERIFY(isShown("demoTitle"));
        QCOMPARE(text("demoTitle"), "Essential");
        clickInWindow("demoActivate");
        QTRY_VERIFY(!popupOpen("onboardingSheet"));
        QVERIFY(m_state->hasOnboarded());
        QVERIFY(Settings().hasOnboarded());
        QTRY_VERIFY(!m_rig->backend.automationCalls().isEmpty());
        QTRY_VERIFY(m_systemctl->calls().contains(QStringList{"--user", "enable", "halvex-backend.service"}));
    }

    // Escape on the profile sheet during onboarding cancels that sheet only: onboarding goes on at the
    // profile step, and nothing is automated.
    void profileSheetEscapeCancelsOnlyTheSheet()
    {
        Settings().setTelegramBotToken("123456:ABC-def");
        openDashboard();
        QTRY_VERIFY(isShown("onboardingProfileStep"));
        clickInWindow("profileCard_paranoid");
        QTRY_VERIFY(isShown("demoTitle"));
        QTest::qWait(300); // the sheet's opening transition
        QTest::keyClick(m_dashboard.get(), Qt::Key_Escape);
        QTRY_VERIFY(!isShown("demoTitle"));
        QTest::qWait(300);
        QVERIFY(popupOpen("onboardingSheet"));
        QVERIFY(isShown("onboardingProfileStep"));
        QVERIFY(!m_state->hasOnboarded());
        QVERIFY(!Settings().hasOnboarded());
        QCOMPARE(m_rig->backend.automationCalls(), QStringList());
    }

    void onboardingSheetEndsOnEscape()
    {
        openDashboard();
        QTRY_VERIFY(isShown("onboardingTokenStep"));
        QTest::keyClick(m_dashboard.get(), Qt::Key_Escape);
        QTRY_VERIFY(!popupOpen("onboardingSheet"));
        QVERIFY(Settings().hasOnboarded());
        QVERIFY(m_state->hasOnboarded());
        QVERIFY(QuickItems::click(m_dashboard.get(), "tab_settings")); // the dashboard takes clicks again
        QTRY_VERIFY(QuickItems::find(m_dashboard.get(), "telegramCard")->isVisible());
    }

    // The set-up window stored a token already: the sheet starts at the profile.
    void onboardingSheetAfterTheSetupWindow()
    {
        Settings().setTelegramBotToken("123456:ABC-def");
        openDashboard();
        QTRY_VERIFY(isShown("onboardingProfileStep"));
        QVERIFY(!isShown("onboardingTokenStep"));
        m_dashboard->close(); // the window's own controls: onboarding is done too
        QTRY_VERIFY(Settings().hasOnboarded());
    }

private:
    QString text(const char* name)
    {
        const QQuickItem* found = QuickItems::find(m_dashboard->contentItem(), QString::fromLatin1(name));
        return found ? found->property("text").toString() : QString();
    }

    void openDashboard()
    {
        AppState::Options options;
        options.clientTimeouts = {2000, 2000};
        options.backendDelays = {10, 10};
        m_state = std::make_unique<AppState>(options);
        m_dashboard = std::make_unique<DashboardWindow>(*m_state, [] {});
        m_dashboard->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dashboard.get()));
    }

    // QtTest types into windows one key at a time.
    static void typeText(QWindow* window, const QString& text)
    {
        for (const QChar character : text)
            QTest::keyClick(window, character.toLatin1());
    }

    static bool shown(QQuickView* view, const char* name)
    {
        const QQuickItem* item = QuickItems::find(view, name);
        return item && item->isVisible() && item->opacity() == 1.0;
    }

    // Whether the named popup is open; a popup is no item, so the search goes through the object tree.
    bool popupOpen(const char* name)
    {
        const QObject* popup = m_dashboard->rootObject()->findChild<QObject*>(QString::fromLatin1(name));
        if (!popup)
            qFatal("no popup %s", name);
        return popup->property("opened").toBool() || popup->property("visible").toBool();
    }

    // Popups hang under the window's overlay, beside the root item: search from the content item.
    bool isShown(const char* name)
    {
        const QQuickItem* found = QuickItems::find(m_dashboard->contentItem(), QString::fromLatin1(name));
        return found && found->isVisible();
    }

    void clickInWindow(const char* name)
    {
        QVERIFY(QQuickTest::qWaitForPolish(m_dashboard.get()));
        QQuickItem* target = QuickItems::find(m_dashboard->contentItem(), QString::fromLatin1(name));
        QVERIFY2(target && target->isVisible(), name);
        const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        QTest::mouseClick(m_dashboard.get(), Qt::LeftButton, {}, centre.toPoint());
    }

    static void save(QQuickWindow* window, const QString& name)
    {
        const QImage image = window->grabWindow();
        QVERIFY(!image.isNull());
        QDir().mkpath(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots"));
        QVERIFY(image.save(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/") + name + ".png"));
    }

    std::unique_ptr<FakeBackendHome> m_rig;
    std::unique_ptr<FakeTool> m_systemctl;
    std::unique_ptr<FakeBotApi> m_api;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<DashboardWindow> m_dashboard;
    QList<QUrl> m_opened;
};

QTEST_MAIN(SetupViewsTest)
#include "tst_setupviews.moc"
