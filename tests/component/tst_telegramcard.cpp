#include "app/AppState.h"
#include "app/TelegramCardModel.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/TestEnvironment.h"

#include <QJsonArray>
#include <QTest>

namespace {

const QJsonObject pendingStatus{{"botUsername", "new_bot"}, {"configured", false}};
const QJsonObject connectedStatus{{"botUsername", "new_bot"}, {"chatId", "42"}, {"configured", true}};

} // namespace

// The dashboard's Telegram card against a real AppState and a fake backend: its four states, and
// saving, authorising and disconnecting through the client with the status refreshed after each.
class TelegramCardTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<FakeBackendHome>();
        m_systemctl = std::make_unique<FakeTool>("HALVEX_TOOL_SYSTEMCTL", "not-found\n");
        Settings().setHasOnboarded(true);
        m_clipboard.clear();
        m_opened.clear();
    }
    void cleanup()
    {
        m_card.reset();
        m_state.reset();
        m_systemctl.reset();
        m_rig.reset();
    }

    void stateFollowsStatusAndConnection_data()
    {
        QTest::addColumn<QJsonObject>("status"); // empty: no bot, the backend answers 404
        QTest::addColumn<bool>("backendUp");
        QTest::addColumn<int>("expected");
        QTest::newRow("configured") << connectedStatus << true << int(TelegramCardModel::Connected);
        QTest::newRow("token, no chat") << pendingStatus << true << int(TelegramCardModel::Pending);
        QTest::newRow("no bot") << QJsonObject() << true << int(TelegramCardModel::Setup);
        QTest::newRow("backend down") << QJsonObject() << false << int(TelegramCardModel::Unavailable);
    }

    void stateFollowsStatusAndConnection()
    {
        QFETCH(QJsonObject, status);
        QFETCH(bool, backendUp);
        QFETCH(int, expected);
        m_rig->backend.telegramStatus = status;
        if (!backendUp)
            m_rig->backend.goDown();
        TelegramCardModel& card = makeCard();
        QTRY_COMPARE(card.cardState(), expected);
        QTest::qWait(100); // every first load is in
        QCOMPARE(card.cardState(), expected);
    }

    // The backend going down keeps the last known state on screen, pending included.
    void knownStatusOutlivesTheBackend()
    {
        m_rig->backend.telegramStatus = pendingStatus;
        TelegramCardModel& card = makeCard();
        QTRY_COMPARE(card.cardState(), int(TelegramCardModel::Pending));
        QTRY_VERIFY(m_state->isConnected());
        m_rig->backend.goDown();
        m_state->checkConnection();
        QTRY_VERIFY(!m_state->isConnected());
        QCOMPARE(card.cardState(), int(TelegramCardModel::Pending));
        QCOMPARE(card.botLinkText(), "t.me/new_bot");
    }

    void connectedSentenceFollowsThePlatform_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("Linux") << "halvex_bot" << int(Platform::Kind::Linux)
                               << "@halvex_bot controls your computer";
        QTest::newRow("macOS") << "halvex_bot" << int(Platform::Kind::MacOS)
                               << "@halvex_bot controls your Mac";
        QTest::newRow("no name") << "" << int(Platform::Kind::MacOS) << "@bot controls your Mac";
    }

    void connectedSentenceFollowsThePlatform()
    {
        QFETCH(QString, username);
        QFETCH(int, platform);
        QFETCH(QString, sentence);
        m_rig->backend.telegramStatus = QJsonObject{{"botUsername", username}, {"configured", true}};
        TelegramCardModel& card = makeCard(Platform::Kind(platform));
        QTRY_COMPARE(card.cardState(), int(TelegramCardModel::Connected));
        QCOMPARE(card.controlsText(), sentence);
        QCOMPARE(card.openBotLabel(), "Open @" + username);
        card.openBot();
        QCOMPARE(m_opened, QList<QUrl>{QUrl("https://t.me/" + username)});
    }

    void pasteCleansTheClipboard_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("field");
        QTest::newRow("trailing line break") << "123:abc\n"
                                             << "123:abc";
        QTest::newRow("spaces and tabs") << " \t123:abc\r\n "
                                         << "123:abc";
        QTest::newRow("empty") << ""
                               << "typed";
        QTest::newRow("only blanks") << " \n\t"
                                     << "typed";
    }

    void pasteCleansTheClipboard()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, field);
        TelegramCardModel& card = makeCard();
        card.setBotToken("typed");
        m_clipboard = clipboard;
        card.paste();
        QCOMPARE(card.botToken(), field);
    }

    // Save sends the trimmed token; once the refreshed status arrives the card moves on to pending.
    void saveSendsTheTrimmedTokenAndRefreshes()
    {
        m_rig->backend.telegramStatus = {};
        TelegramCardModel& card = makeCard();
        QTRY_COMPARE(card.cardState(), int(TelegramCardModel::Setup));
        card.setBotToken(" \t ");
        QVERIFY(!card.canSave());
        card.setBotToken("  123:abc\t");
        QVERIFY(card.canSave());
        m_rig->backend.telegramStatus = pendingStatus;
        card.save();
        QVERIFY(card.savingToken());
        QVERIFY(!card.canSave());
        QTRY_VERIFY(!card.savingToken());
        const auto saved = m_rig->backend.requestsTo("POST", "/api/config/chat-id");
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved[0].json(), (QJsonObject{{"token", "123:abc"}}));
        QCOMPARE(card.botToken(), QString());
        QTRY_COMPARE(card.cardState(), int(TelegramCardModel::Pending));
    }

    void failedSaveKeepsTheToken()
    {
        m_rig->backend.telegramStatus = {};
        m_rig->backend.chatIdReply = {500, R"({"success":false})"};
        TelegramCardModel& card = makeCard();
        QTRY_COMPARE(card.cardState(), int(TelegramCardModel::Setup));
        const qsizetype loads = m_rig->backend.requestsTo("GET", "/api/config/bot-info").size();
        card.setBotToken("123:abc");
        card.save();
        QTRY_VERIFY(!card.savingToken());
        QCOMPARE(card.botToken(), "123:abc");
        QCOMPARE(card.saveError(), "The token was not saved: the backend did not store it.");
        QTest::qWait(100);
        QCOMPARE(m_rig->backend.requestsTo("GET", "/api/config/bot-info").size(), loads); // no refresh
        card.setBotToken("123:abd"); // an edit clears the reason
        QCOMPARE(card.saveError(), QString());
    }

    // The backend's reason is shown as it gave it: an unreachable Telegram is not a wrong token.
    void failedSaveShowsTheBackendsReason()
    {
        m_rig->backend.telegramStatus = {};
        m_rig->backend.chatIdReply = {
            502,
            R"({"success":false,"error":"Telegram could not be reached: check the internet connection and try again"})"};
        TelegramCardModel& card = makeCard();
        QTRY_COMPARE(card.cardState(), int(TelegramCardModel::Setup));
        card.setBotToken("123:abc");
        card.save();
        QTRY_VERIFY(!card.savingToken());
        QCOMPARE(card.saveError(),
                 "Telegram could not be reached: check the internet connection and try again");
        QCOMPARE(card.botToken(), "123:abc");
    }

    void authorizationShowsTheBackendsWords_data()
    {
        QTest::addColumn<FakeHttpServer::Reply>("reply");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QStringList>("instructions");
        QTest::addColumn<bool>("refreshes");
        QTest::newRow("connected") << FakeHttpServer::Reply{200,
                                                            R"({"success":true,"message":"✅ Connected"})"}
                                   << QString::fromUtf8("✅ Connected") << true << QStringList() << true;
        QTest::newRow("success without the mark")
            << FakeHttpServer::Reply{200, R"({"success":true,"message":"Linked"})"} << "Linked" << false
            << QStringList() << true;
        QTest::newRow("not yet")
            << FakeHttpServer::
                   Reply{200,
                         R"({"success":false,"message":"No /start yet","instructions":["Open t.me/new_bot","Send /start"]})"}
            << "No /start yet" << false << QStringList{"Open t.me/new_bot", "Send /start"} << false;
        QTest::newRow("no reply") << FakeHttpServer::Reply{500, "{}"} << QString() << false << QStringList()
                                  << false;
    }

    void authorizationShowsTheBackendsWords()
    {
        QFETCH(FakeHttpServer::Reply, reply);
        QFETCH(QString, message);
        QFETCH(bool, success);
        QFETCH(QStringList, instructions);
        QFETCH(bool, refreshes);
        m_rig->backend.telegramStatus = pendingStatus;
        m_rig->backend.authorizeReply = reply;
        TelegramCardModel& card = makeCard();
        QTRY_COMPARE(card.cardState(), int(TelegramCardModel::Pending));
        const qsizetype loads = m_rig->backend.requestsTo("GET", "/api/config/bot-info").size();
        m_rig->backend.telegramStatus = connectedStatus;
        card.authorize();
        QVERIFY(card.authorizing());
        QTRY_VERIFY(!card.authorizing());
        const auto sent = m_rig->backend.requestsTo("POST", "/api/config/authorize");
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].json(), (QJsonObject{{"chatId", "auto"}}));
        QCOMPARE(card.telegramMessage(), message);
        QCOMPARE(card.messageIsSuccess(), success);
        QCOMPARE(card.telegramInstructions(), instructions);
        if (refreshes)
            QTRY_COMPARE(card.cardState(), int(TelegramCardModel::Connected));
        QTest::qWait(100);
        QCOMPARE(m_rig->backend.requestsTo("GET", "/api/config/bot-info").size(),
                 loads + (refreshes ? 1 : 0));
    }

    // Disconnect asks first; only the confirmation sends the request, then the refreshed status
    // (no bot any more) brings back the set-up state.
    void disconnectWaitsForTheConfirmation()
    {
        TelegramCardModel& card = makeCard();
        QTRY_COMPARE(card.cardState(), int(TelegramCardModel::Connected));
        card.requestDisconnect();
        QVERIFY(card.showDisconnectConfirm());
        card.cancelDisconnect();
        QVERIFY(!card.showDisconnectConfirm());
        QTest::qWait(50);
        QCOMPARE(m_rig->backend.requestsTo("POST", "/api/setup").size(), 0);

        m_rig->backend.telegramStatus = {};
        card.requestDisconnect();
        card.confirmDisconnect();
        QVERIFY(!card.showDisconnectConfirm());
        QVERIFY(card.disconnecting());
        QTRY_VERIFY(!card.disconnecting());
        const auto sent = m_rig->backend.requestsTo("POST", "/api/setup");
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].json(), (QJsonObject{{"telegramChatId", ""}}));
        QTRY_COMPARE(card.cardState(), int(TelegramCardModel::Setup));
    }

private:
    TelegramCardModel& makeCard(Platform::Kind platform = Platform::Kind::Linux)
    {
        AppState::Options options;
        options.clientTimeouts = {2000, 2000};
        options.backendDelays = {10, 10};
        m_state = std::make_unique<AppState>(options);
        TelegramCardModel::Options cardOptions;
        cardOptions.platform = platform;
        cardOptions.clipboardText = [this] { return m_clipboard; };
        cardOptions.openUrl = [this](const QUrl& url) { m_opened.append(url); };
        m_card = std::make_unique<TelegramCardModel>(*m_state, cardOptions);
        return *m_card;
    }

    std::unique_ptr<FakeBackendHome> m_rig;
    std::unique_ptr<FakeTool> m_systemctl;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<TelegramCardModel> m_card;
    QString m_clipboard;
    QList<QUrl> m_opened;
};

QTEST_GUILESS_MAIN(TelegramCardTest)
#include "tst_telegramcard.moc"
