#include "fakes/FakeBotApi.h"
#include "monitor/TelegramBotApi.h"
#include "platform/Settings.h"
#include "support/LoopbackPort.h"
#include "support/TestEnvironment.h"

#include <QJsonDocument>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace std::chrono_literals;

namespace {
const QString token = QStringLiteral("123456:ABC-def_ghi");
const QString chatId = QStringLiteral("424242");

QByteArray failureBody(int status, const char* description)
{
    return QJsonDocument(QJsonObject{{"ok", false}, {"error_code", status}, {"description", description}})
        .toJson(QJsonDocument::Compact);
}
} // namespace

// The Bot API calls over real HTTP against a fake Bot API on loopback.
class TelegramBotApiTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_home = std::make_unique<TemporaryHome>(); }

    void init()
    {
        Settings().remove(SettingsKey::telegramChatId);
        m_fake = std::make_unique<FakeBotApi>();
        m_api = std::make_unique<TelegramBotApi>(m_fake->origin());
        m_api->setTimeouts({300ms, 300ms});
    }

    void cleanup()
    {
        m_api.reset();
        m_fake.reset();
    }

    void originComesFromTheEnvironment()
    {
        qunsetenv("HALVEX_TELEGRAM_API");
        QCOMPARE(TelegramBotApi::configuredOrigin(), QStringLiteral("https://api.telegram.org"));
        qputenv("HALVEX_TELEGRAM_API", "http://127.0.0.1:1/");
        QCOMPARE(TelegramBotApi().origin(), QStringLiteral("http://127.0.0.1:1"));
        qunsetenv("HALVEX_TELEGRAM_API");
        QCOMPARE(TelegramBotApi().methodUrl(token, "/getMe").toString(),
                 QStringLiteral("https://api.telegram.org/bot123456:ABC-def_ghi/getMe"));
    }

    // An origin that is not an absolute http(s) URL gives no request URL: the alert is dropped silently.
    void invalidOriginSendsNothing()
    {
        CapturedStdout output;
        TelegramBotApi nowhere(QStringLiteral("api.telegram.org"));
        QVERIFY(!nowhere.methodUrl(token, "/sendMessage").isValid());
        nowhere.doSendTelegramMessage(token, chatId, "text");
        QCOMPARE(nowhere.pendingRequests(), 0);
        QCOMPARE(output.text(), QString());
    }

    void alertWithTargetCarriesOneButtonRow()
    {
        m_api->doSendTelegramMessage(token, chatId, "📷 Zoom just turned on your camera",
                                     TelegramBotApi::ForceQuitTarget{"Xos", "Zoom"});
        QVERIFY(m_fake->waitForRequests("sendMessage", 1));
        const auto request = m_fake->requests().constFirst();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path(), QByteArray("/bot123456:ABC-def_ghi/sendMessage"));
        QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
        const QJsonObject button{{"text", "⛔ Force Quit Zoom"}, {"callback_data", "block:Xos"}};
        const QJsonObject expected{
            {"chat_id", chatId},
            {"text", "📷 Zoom just turned on your camera"},
            {"reply_markup", QJsonObject{{"inline_keyboard", QJsonArray{QJsonArray{button}}}}}};
        QCOMPARE(request.json(), expected);
    }

    void plainMessagesCarryNoMarkup()
    {
        CapturedStdout output;
        m_api->doSendTelegramMessage(token, chatId, "digest");
        m_api->sendTelegramText(token, chatId, "🚫 Xos has been force-quit.");
        QVERIFY(m_fake->waitForRequests("sendMessage", 2));
        for (const auto& request : m_fake->requests())
            QCOMPARE(request.json().keys(), (QStringList{"chat_id", "text"}));
        QTRY_COMPARE(m_api->pendingRequests(), 0);
        QCOMPARE(output.lines(), QStringList()); // success is silent
    }

    void refusedSendsPrintStatusAndBody_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        const QByteArray unauthorized = failureBody(401, "Unauthorized");
        QTest::newRow("invalid token")
            << 401 << unauthorized << "[Telegram] Send FAILED (HTTP 401): " + QString::fromUtf8(unauthorized);
        // Qt's own description of a 400 quotes the URL; the line shows the server's body instead.
        const QByteArray chatNotFound = failureBody(400, "Bad Request: chat not found");
        QTest::newRow("unknown chat")
            << 400 << chatNotFound << "[Telegram] Send FAILED (HTTP 400): " + QString::fromUtf8(chatNotFound);
        QTest::newRow("body not UTF-8")
            << 502 << QByteArray("\xff\xfe bad") << "[Telegram] Send FAILED (HTTP 502): ?";
        QTest::newRow("body on several lines")
            << 500 << QByteArray("<html>\n<b>down</b>\r\n</html>")
            << "[Telegram] Send FAILED (HTTP 500): <html> <b>down</b> </html>";
    }

    void refusedSendsPrintStatusAndBody()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        CapturedStdout output;
        m_fake->answerEverything({status, body});
        m_api->doSendTelegramMessage(token, chatId, "text", TelegramBotApi::ForceQuitTarget{"Xos", "Xos"});
        QCOMPARE(output.waitForLineStartingWith("[Telegram] Send"), expected);
        QVERIFY(!output.text().contains(token));
    }

    // A server that accepts the connection and never answers: the send gives up after its timeout,
    // prints one line without the token, and the main thread keeps running meanwhile.
    void silentServerTimesOutWithoutBlocking()
    {
        CapturedStdout output;
        m_fake->answerEverything({.neverAnswer = true});
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(10);

        m_api->doSendTelegramMessage(token, chatId, "text");
        m_api->sendWelcomeMessage(token, chatId);
        QCOMPARE(m_fake->requests().size(), 0); // both calls returned before anything was sent

        const QString send = output.waitForLineStartingWith("[Telegram] Send ERROR: ");
        const QString welcome = output.waitForLineStartingWith("[Telegram] Welcome ERROR: ");
        QVERIFY(!send.isEmpty());
        QVERIFY(!welcome.isEmpty());
        QVERIFY(ticks > 0);
        QVERIFY(!output.text().contains(token));
    }

    void unreachableServerPrintsTransportError()
    {
        CapturedStdout output;
        TelegramBotApi closed(QStringLiteral("http://127.0.0.1:%1").arg(closedLoopbackPort()));
        closed.doSendTelegramMessage(token, chatId, "text");
        QCOMPARE(output.waitForLineStartingWith("[Telegram] Send ERROR: "),
                 QStringLiteral("[Telegram] Send ERROR: Connection refused"));
    }

    void welcomeMessage_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sent") << 200 << QByteArray(R"({"ok":true})")
                              << "[Telegram] Welcome message sent OK to chatId 424242";
        QTest::newRow("refused") << 403 << QByteArray("blocked")
                                 << "[Telegram] Welcome FAILED (HTTP 403): blocked";
    }

    void welcomeMessage()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        CapturedStdout output;
        m_fake->answerEverything({status, body});
        bool done = false;
        m_api->sendWelcomeMessage(token, chatId, this, [&done] { done = true; });
        QTRY_VERIFY(done);
        QCOMPARE(output.lines(), QStringList{expected});
        QCOMPARE(m_fake->requests().constFirst().json(),
                 (QJsonObject{{"chat_id", chatId},
                              {"text", "✅ Halvex is connected!\n\nYou'll receive alerts here when an app "
                                       "accesses your camera, microphone, or location."}}));
    }

    void answerCallbackSendsIdTextAndNoAlert()
    {
        bool done = false;
        m_api->answerTelegramCallback(token, "cb-1", "🚫 Xos force-quit!", this, [&done] { done = true; });
        QTRY_VERIFY(done);
        const auto request = m_fake->requests("answerCallbackQuery").constFirst();
        QCOMPARE(request.json(),
                 (QJsonObject{
                     {"callback_query_id", "cb-1"}, {"text", "🚫 Xos force-quit!"}, {"show_alert", false}}));
    }

    // The server returns at most ten updates, oldest first: the chat of the last message wins.
    void chatIdDiscoveryTakesTheLastChat()
    {
        CapturedStdout output;
        m_fake->addUpdates({FakeBotApi::messageUpdate(1, 111), FakeBotApi::messageUpdate(2, -100222),
                            FakeBotApi::pressUpdate(3, "cb", "block:Xos", 333)});
        std::optional<QString> found;
        bool done = false;
        m_api->fetchAndSaveChatId(token, this, [&](const std::optional<QString>& chatId) {
            found = chatId;
            done = true;
        });
        QTRY_VERIFY(done);
        QCOMPARE(found, std::optional<QString>("-100222"));
        QCOMPARE(Settings().telegramChatId(), std::optional<QString>("-100222"));
        const auto requests = m_fake->requests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests[0].target, QByteArray("/bot123456:ABC-def_ghi/deleteWebhook"));
        QCOMPARE(requests[0].method, QByteArray("GET"));
        QCOMPARE(requests[1].target, QByteArray("/bot123456:ABC-def_ghi/getUpdates?limit=10"));
        QCOMPARE(output.lines(),
                 (QStringList{"[Telegram] Deleting webhook...", "[Telegram] Fetching updates...",
                              "[Telegram] Got 3 updates", "[Telegram] Saved chatId: -100222"}));
    }

    void chatIdDiscoveryFailures_data()
    {
        QTest::addColumn<FakeBotApi::Reply>("updatesReply");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("no message yet")
            << FakeBotApi::okReply(QJsonArray{FakeBotApi::pressUpdate(3, "cb", "block:Xos", 333)})
            << "[Telegram] No chat ID found in updates — user needs to send /start to the bot";
        QTest::newRow("invalid token") << FakeBotApi::Reply{401, failureBody(401, "Unauthorized")}
                                       << "[Telegram] getUpdates failed or returned unexpected format";
        QTest::newRow("not JSON") << FakeBotApi::Reply{200, "<html/>"}
                                  << "[Telegram] getUpdates failed or returned unexpected format";
    }

    void chatIdDiscoveryFailures()
    {
        QFETCH(FakeBotApi::Reply, updatesReply);
        QFETCH(QString, lastLine);
        CapturedStdout output;
        m_fake->queueReply("getUpdates", updatesReply);
        std::optional<QString> found = "unset";
        m_api->fetchAndSaveChatId(token, this, [&](const std::optional<QString>& chatId) { found = chatId; });
        QTRY_VERIFY(!found);
        QCOMPARE(output.lines().constLast(), lastLine);
        QVERIFY(!Settings().telegramChatId());
    }

    void chatIdDiscoveryWithSilentServerGivesUp()
    {
        CapturedStdout output;
        m_fake->answerEverything({.neverAnswer = true});
        std::optional<QString> found = "unset";
        m_api->fetchAndSaveChatId(token, this, [&](const std::optional<QString>& chatId) { found = chatId; });
        QTRY_VERIFY(!found);
        QCOMPARE(output.lines().constLast(), "[Telegram] getUpdates failed or returned unexpected format");
    }

    void validateTelegramToken_data()
    {
        QTest::addColumn<FakeBotApi::Reply>("reply");
        QTest::addColumn<QString>("expected"); // empty: none
        QTest::newRow("accepted") << FakeBotApi::okReply(QJsonObject{{"username", "my_mac_bot"}})
                                  << "my_mac_bot";
        QTest::newRow("invalid token") << FakeBotApi::Reply{401, failureBody(401, "Unauthorized")} << "";
        QTest::newRow("no username") << FakeBotApi::okReply(QJsonObject{{"id", 5}}) << "";
        QTest::newRow("result not an object") << FakeBotApi::okReply(true) << "";
        QTest::newRow("status other than 200")
            << FakeBotApi::Reply{201, R"({"result":{"username":"x"}})"} << "";
    }

    void validateTelegramToken()
    {
        QFETCH(FakeBotApi::Reply, reply);
        QFETCH(QString, expected);
        m_fake->queueReply("getMe", reply);
        std::optional<QString> username = "unset";
        bool done = false;
        m_api->validateTelegramToken(token, this, [&](const std::optional<QString>& result) {
            username = result;
            done = true;
        });
        QTRY_VERIFY(done);
        QCOMPARE(username.value_or(QString()), expected);
        QCOMPARE(m_fake->requests().constFirst().target, QByteArray("/bot123456:ABC-def_ghi/getMe"));
    }

    // A caller that is gone by the time the answer arrives is not called back.
    void callbackOfAGoneContextIsDropped()
    {
        m_fake->answerEverything({.neverAnswer = true});
        auto context = std::make_unique<QObject>();
        bool called = false;
        m_api->validateTelegramToken(token, context.get(),
                                     [&](const std::optional<QString>&) { called = true; });
        QVERIFY(m_fake->server().waitForRequests(1));
        context.reset();
        bool later = false;
        m_api->validateTelegramToken(token, this, [&](const std::optional<QString>&) { later = true; });
        QTRY_VERIFY(later); // the first call has timed out too by now
        QVERIFY(!called);
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeBotApi> m_fake;
    std::unique_ptr<TelegramBotApi> m_api;
};

QTEST_GUILESS_MAIN(TelegramBotApiTest)
#include "tst_telegrambotapi.moc"
