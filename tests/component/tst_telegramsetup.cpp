#include "app/AppNotifications.h"
#include "app/TelegramSetupModel.h"
#include "fakes/FakeBotApi.h"
#include "fakes/FakeHttpServer.h"
#include "monitor/TelegramBotApi.h"
#include "monitor/TelegramTexts.h"
#include "platform/Autostart.h"
#include "platform/Settings.h"
#include "support/LoopbackPort.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

// The first-run set-up window's model against a fake Bot API and a fake backend: the token test, the
// save, the chat search with its welcome message, and the finishing buttons.
class TelegramSetupTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_api = std::make_unique<FakeBotApi>();
        m_backend = std::make_unique<FakeHttpServer>();
        Settings().setValue(SettingsKey::serverURL, m_backend->baseUrl());
        m_opened.clear();
    }
    void cleanup()
    {
        m_model.reset();
        m_backend.reset();
        m_api.reset();
        m_home.reset();
    }

    void stepsGoForwardOneByOne()
    {
        TelegramSetupModel& setup = model();
        QCOMPARE(setup.step(), int(TelegramSetupModel::WelcomeStep));
        for (int expected : {1, 2, 3, 3}) { // "next" never skips the token test and save
            setup.next();
            QCOMPARE(setup.step(), expected);
        }
    }

    void tokenTestTrimsAndVerifies()
    {
        TelegramSetupModel& setup = model();
        setup.setBotToken("  123456:ABC-def\t");
        QVERIFY(!setup.canSave());
        setup.testToken();
        QVERIFY(setup.isTesting());
        QTRY_VERIFY(!setup.isTesting());
        QCOMPARE(setup.validatedUsername(), "halvex_test_bot");
        QCOMPARE(setup.testError(), QString());
        QVERIFY(setup.canSave());
        const auto getMe = m_api->requests("getMe");
        QCOMPARE(getMe.size(), 1);
        QCOMPARE(FakeBotApi::tokenOf(getMe[0]), "123456:ABC-def");

        // An edit after the test clears the verification: the token must be tested as it will be saved.
        setup.setBotToken("123456:ABC-deg");
        QCOMPARE(setup.validatedUsername(), QString());
        QVERIFY(!setup.canSave());
    }

    void tokenTestFailures_data()
    {
        QTest::addColumn<FakeHttpServer::Reply>("reply");
        QTest::newRow("unauthorized") << FakeHttpServer::Reply{401, R"({"ok":false,"error_code":401})"};
        QTest::newRow("no username") << FakeBotApi::okReply(QJsonObject{{"id", 1}});
        QTest::newRow("username not a string") << FakeBotApi::okReply(QJsonObject{{"username", 7}});
        QTest::newRow("result not an object") << FakeBotApi::okReply(true);
        QTest::newRow("not JSON") << FakeHttpServer::Reply{200, "<html>"};
        QTest::newRow("server error with a username")
            << FakeHttpServer::Reply{500, R"({"ok":true,"result":{"username":"x"}})"};
    }

    void tokenTestFailures()
    {
        QFETCH(FakeHttpServer::Reply, reply);
        m_api->queueReply("getMe", reply);
        TelegramSetupModel& setup = model();
        setup.setBotToken("123:bad");
        setup.testToken();
        QTRY_VERIFY(!setup.isTesting());
        QCOMPARE(setup.testError(), "Invalid token. Please check and try again.");
        QCOMPARE(setup.validatedUsername(), QString());
        QVERIFY(!setup.canSave());
        setup.setBotToken("123:other"); // editing clears the error too
        QCOMPARE(setup.testError(), QString());
    }

    // A getMe that never reached Telegram is no verdict on the token: the test says so and the token
    // stays as typed, to be tested again.
    void unreachableTelegramIsNotAnInvalidToken_data()
    {
        QTest::addColumn<bool>("refused"); // else: no answer before the time-out
        QTest::newRow("connection refused") << true;
        QTest::newRow("timed out") << false;
    }
    void unreachableTelegramIsNotAnInvalidToken()
    {
        QFETCH(bool, refused);
        TelegramSetupModel::Options options;
        options.botApiOrigin =
            refused ? QStringLiteral("http://127.0.0.1:%1").arg(closedLoopbackPort()) : m_api->origin();
        m_api->queueReply("getMe",
                          {200, R"({"ok":true,"result":{"username":"late_bot"}})", "application/json", true});
        m_model = std::make_unique<TelegramSetupModel>(options);
        m_model->api().setTimeouts({300ms, 300ms});
        m_model->setBotToken("123456:ABC-def");
        m_model->testToken();
        QTRY_VERIFY(!m_model->isTesting());
        QCOMPARE(m_model->testError(),
                 "Telegram could not be reached. Check your internet connection and try again.");
        QVERIFY(!m_model->canSave());
        QCOMPARE(m_model->botToken(), "123456:ABC-def");
    }

    void emptyTokenIsNotTested()
    {
        TelegramSetupModel& setup = model();
        setup.setBotToken(" \t ");
        setup.testToken();
        QVERIFY(!setup.isTesting());
        QTest::qWait(50);
        QCOMPARE(m_api->requests().size(), 0);
    }

    // Save stores the trimmed token, tells the backend (whose answer does not matter), moves to the
    // last step and searches the chat; once the user's /start is there the welcome goes out once.
    void saveSearchesTheChatAndWelcomesOnce()
    {
        m_backend->setReply({500, "{}"});
        TelegramSetupModel& setup = model(30, 20ms);
        setup.setBotToken(" 123456:ABC-def ");
        setup.testToken();
        QTRY_VERIFY(setup.canSave());
        setup.saveAndContinue();
        QCOMPARE(Settings().telegramBotToken(), "123456:ABC-def");
        QCOMPARE(setup.step(), int(TelegramSetupModel::DoneStep));
        QVERIFY(setup.pollingChatId());
        QCOMPARE(setup.doneTitle(), "Open your bot on Telegram and send /start to activate alerts.");
        QCOMPARE(setup.doneIcon(), "paperplane.circle.fill");

        QVERIFY(m_backend->waitForRequests(1));
        const auto posted = m_backend->requests().constFirst();
        QCOMPARE(posted.method, QByteArray("POST"));
        QCOMPARE(posted.path(), QByteArray("/api/config/chat-id"));
        QCOMPARE(posted.headers.value("content-type"), QByteArray("application/json"));
        QCOMPARE(posted.json(), (QJsonObject{{"token", "123456:ABC-def"}}));

        QVERIFY(m_api->waitForRequests("getUpdates", 1));
        m_api->addUpdates({FakeBotApi::messageUpdate(5, -100777)});
        QTRY_VERIFY(setup.chatIdFound());
        QVERIFY(!setup.pollingChatId());
        QCOMPARE(Settings().telegramChatId(), "-100777");
        QCOMPARE(setup.doneTitle(), "Telegram is connected!");
        QCOMPARE(setup.doneIcon(), "checkmark.circle.fill");
        QCOMPARE(setup.doneText(),
                 "As soon as an app accesses your camera or mic, you'll get an alert on Telegram.");
        QTest::qWait(100);
        const auto sent = m_api->requests("sendMessage");
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].json(),
                 (QJsonObject{{"chat_id", "-100777"}, {"text", TelegramTexts::welcomeText()}}));
        setup.startPollingChatId(); // found: no second search, no second welcome
        QTest::qWait(100);
        QCOMPARE(m_api->requests("sendMessage").size(), 1);
    }

    // Nobody writes to the bot: exactly the number of attempts, a pause apart, then the search stops.
    void searchGivesUpAfterItsAttempts()
    {
        TelegramSetupModel& setup = model(30, 1ms);
        setup.setBotToken("123456:ABC-def");
        setup.startPollingChatId();
        QVERIFY(setup.pollingChatId());
        QTRY_VERIFY_WITH_TIMEOUT(!setup.pollingChatId(), 15000);
        QVERIFY(!setup.chatIdFound());
        QCOMPARE(m_api->requests("getUpdates").size(), 30);
        QCOMPARE(m_api->requests("deleteWebhook").size(), 30);
        QCOMPARE(m_api->requests("sendMessage").size(), 0);
        QCOMPARE(Settings().telegramChatId(), std::nullopt);
        QCOMPARE(setup.doneText(), "Open your Telegram bot and send /start — waiting for confirmation...");
    }

    void finishingStoresOnboardingAndTellsTheApplication()
    {
        QSignalSpy done(&AppNotifications::instance(), &AppNotifications::onboardingDonePosted);
        TelegramSetupModel& setup = model();
        QSignalSpy finished(&setup, &TelegramSetupModel::finished);
        QVERIFY(!Settings().hasOnboarded());
        QVERIFY(!Autostart::isEnabled());
        setup.finish();
        QVERIFY(Settings().hasOnboarded());
        // The first finish turns starting at login on where the desktop has it.
        QCOMPARE(Autostart::isEnabled(), Autostart::isSupported());
        QCOMPARE(done.size(), 1);
        QCOMPARE(finished.size(), 1);
    }

    void linksOpenThroughTheDesktop()
    {
        TelegramSetupModel& setup = model();
        setup.openMyBot(); // nothing verified yet: no bot to open
        setup.openBotFather();
        setup.setBotToken("123456:ABC-def");
        setup.testToken();
        QTRY_VERIFY(setup.canSave());
        setup.openMyBot();
        QCOMPARE(m_opened,
                 (QList<QUrl>{QUrl("tg://resolve?domain=BotFather"), QUrl("https://t.me/halvex_test_bot")}));
    }

    void wordingFollowsThePlatform_data()
    {
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("welcome");
        QTest::addColumn<QString>("hint");
        QTest::newRow("macOS") << int(Platform::Kind::MacOS)
                               << "Your Mac is now protected. Let's set up alerts together."
                               << "You'll find me in the menu bar, top right of your screen.";
        QTest::newRow("Linux") << int(Platform::Kind::Linux)
                               << "Your computer is now protected. Let's set up alerts together."
                               << "You'll find me in the system tray of your screen.";
    }

    // Where no tray shows the icon, the hint does not promise one.
    void hintWithoutATrayPointsToTheLauncher()
    {
        for (const Platform::Kind platform : {Platform::Kind::Linux, Platform::Kind::MacOS}) {
            TelegramSetupModel::Options options;
            options.platform = platform;
            options.trayShown = false;
            TelegramSetupModel setup(options);
            QVERIFY2(!setup.trayHint().contains(u"tray of") && !setup.trayHint().contains(u"menu bar"),
                     qPrintable(setup.trayHint()));
            QVERIFY(setup.trayHint().contains(u"open Halvex from your applications"));
        }
    }

    void wordingFollowsThePlatform()
    {
        QFETCH(int, platform);
        QFETCH(QString, welcome);
        QFETCH(QString, hint);
        TelegramSetupModel::Options options;
        options.platform = Platform::Kind(platform);
        TelegramSetupModel setup(options);
        QCOMPARE(setup.welcomeText(), welcome);
        QCOMPARE(setup.trayHint(), hint);
        QCOMPARE(setup.tokenShapeHint(), QString::fromUtf8("The token looks like: 123456789:ABCdef…"));
        QVERIFY(setup.tokenPlaceholder().startsWith("Bot token (e.g., "));
    }

private:
    TelegramSetupModel& model(int attempts = 30, std::chrono::milliseconds pause = 3000ms)
    {
        TelegramSetupModel::Options options;
        options.botApiOrigin = m_api->origin();
        options.chatIdSearch = {attempts, pause};
        options.openUrl = [this](const QUrl& url) { m_opened.append(url); };
        m_model = std::make_unique<TelegramSetupModel>(options);
        m_model->api().setTimeouts({2000ms, 2000ms});
        return *m_model;
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeBotApi> m_api;
    std::unique_ptr<FakeHttpServer> m_backend;
    std::unique_ptr<TelegramSetupModel> m_model;
    QList<QUrl> m_opened;
};

QTEST_GUILESS_MAIN(TelegramSetupTest)
#include "tst_telegramsetup.moc"
