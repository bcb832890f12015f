#include "monitor/TelegramBotApi.h"
#include "monitor/TelegramCallbackPoller.h"
#include "platform/Settings.h"
#include "support/TelegramRig.h"

#include <QTest>

#include <memory>

namespace {

// On Linux the name is matched as the whole process name (comm, at most 15 characters).
QStringList pkillCall(const QString& escapedName)
{
    return {QStringLiteral("-x"), QStringLiteral("-i"), escapedName};
}

} // namespace

// The force-quit buttons: the engine polls the fake Bot API for presses once an alert has gone out,
// force-quits through a fake pkill, answers each press and confirms it in the chat.
class TelegramPollingTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_home = std::make_unique<TemporaryHome>(); }
    void init() { m_rig = std::make_unique<TelegramRig>(); }
    void cleanup() { m_rig.reset(); }

    void pollingStartsWithTheFirstForwardedAlert()
    {
        QVERIFY(!poller().isPolling());
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(poller().isPolling());
        QVERIFY(api().waitForRequests("getUpdates", 2));
        const auto first = api().requests("getUpdates").constFirst();
        QCOMPARE(first.method, QByteArray("GET"));
        QCOMPARE(first.target, QByteArray("/bot123456:ABC-def_ghi/getUpdates?offset=1&timeout=0"));
    }

    void threePressesInOnePassAreHandledInOrder()
    {
        TelegramRig::offerButtons({"zoom.us", "Google Chrome"});
        api().addUpdates({FakeBotApi::pressUpdate(5, "cb5", "block:Xos", TelegramRig::chatNumber),
                          FakeBotApi::pressUpdate(6, "cb6", "block:zoom.us", TelegramRig::chatNumber),
                          FakeBotApi::pressUpdate(7, "cb7", "block:Google Chrome", TelegramRig::chatNumber)});
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(api().waitForRequests("answerCallbackQuery", 3));
        QTRY_COMPARE(m_rig->sentMessages().size(), 4); // the alert and three confirmations

        QStringList handled;
        for (const auto& request : api().requests()) {
            const QString method = FakeBotApi::methodOf(request);
            if (method == "answerCallbackQuery")
                handled << request.json()["callback_query_id"].toString() + " " +
                               request.json()["text"].toString();
            else if (method == "sendMessage" && !request.json().contains("reply_markup"))
                handled << request.json()["chat_id"].toString() + " " + request.json()["text"].toString();
        }
        QCOMPARE(handled, (QStringList{"cb5 🚫 Xos force-quit!", "424242 🚫 Xos has been force-quit.",
                                       "cb6 🚫 zoom.us force-quit!", "424242 🚫 zoom.us has been force-quit.",
                                       "cb7 🚫 Google Chrome force-quit!",
                                       "424242 🚫 Google Chrome has been force-quit."}));
        for (const auto& answer : api().requests("answerCallbackQuery"))
            QCOMPARE(answer.json()["show_alert"], QJsonValue(false));

        QVERIFY(m_rig->pkill().waitForCalls(3));
        auto calls = m_rig->pkill().calls();
        std::sort(calls.begin(), calls.end());
        QCOMPARE(calls, (QList<QStringList>{pkillCall("Google\\ Chrome"), pkillCall("Xos"),
                                            pkillCall("zoom\\.us")}));
        QVERIFY(api().waitForRequests("getUpdates", 2));
        QCOMPARE(api().requests("getUpdates")[1].query(), QByteArray("offset=8&timeout=0"));
    }

    void nextPassAsksAfterTheHighestId()
    {
        api().addUpdates({FakeBotApi::messageUpdate(5, TelegramRig::chatNumber),
                          FakeBotApi::messageUpdate(9, TelegramRig::chatNumber),
                          FakeBotApi::messageUpdate(7, TelegramRig::chatNumber)});
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(api().waitForRequests("getUpdates", 2));
        QCOMPARE(api().requests("getUpdates")[1].query(), QByteArray("offset=10&timeout=0"));
        QCOMPARE(poller().lastUpdateId(), 9);
        QCOMPARE(Settings().telegramLastUpdateId(), 9);
    }

    // Presses that must not kill: each one still advances the offset, and the pass goes on to the
    // valid press after it. A press from a foreign chat gets an empty answer; one from the user's chat
    // for a name no button offered (a forged "block:a" would make pkill kill everything with an "a")
    // is told the application is unknown.
    void pressesThatKillNothing_data()
    {
        QTest::addColumn<QJsonObject>("update");
        QTest::addColumn<QStringList>("answers");
        const QString valid = QString::fromUtf8("cb6:🚫 Valid force-quit!");
        QTest::newRow("another chat")
            << FakeBotApi::pressUpdate(5, "cb5", "block:Xos", 1234) << QStringList{"cb5:", valid};
        QTest::newRow("no chat") << QJsonObject{{"update_id", 5},
                                                {"callback_query",
                                                 QJsonObject{{"id", "cb5"}, {"data", "block:Xos"}}}}
                                 << QStringList{"cb5:", valid};
        QTest::newRow("empty name") << FakeBotApi::pressUpdate(5, "cb5", "block:", TelegramRig::chatNumber)
                                    << QStringList{"cb5:Unknown app", valid};
        QTest::newRow("never offered")
            << FakeBotApi::pressUpdate(5, "cb5", "block:a", TelegramRig::chatNumber)
            << QStringList{"cb5:Unknown app", valid};
        QTest::newRow("offered name, other case")
            << FakeBotApi::pressUpdate(5, "cb5", "block:valid", TelegramRig::chatNumber)
            << QStringList{"cb5:Unknown app", valid};
        QTest::newRow("other callback kind")
            << FakeBotApi::pressUpdate(5, "cb5", "mute:Xos", TelegramRig::chatNumber) << QStringList{valid};
    }

    void pressesThatKillNothing()
    {
        QFETCH(QJsonObject, update);
        QFETCH(QStringList, answers);
        TelegramRig::offerButtons({"Valid"});
        api().addUpdates({update, FakeBotApi::pressUpdate(6, "cb6", "block:Valid", TelegramRig::chatNumber)});
        engine().recordAlert("camera", "Xos", {});
        QTRY_COMPARE(m_rig->sentMessages().size(), 2); // the alert and the confirmation of the valid press
        QVERIFY(m_rig->pkill().waitForCalls(1));
        QCOMPARE(m_rig->pkill().calls(), QList<QStringList>{pkillCall("Valid")});

        QStringList answered;
        for (const auto& answer : api().requests("answerCallbackQuery"))
            answered << answer.json()["callback_query_id"].toString() + ":" +
                            answer.json()["text"].toString();
        QCOMPARE(answered, answers);
        QCOMPARE(m_rig->sentTexts().constLast(), "🚫 Valid has been force-quit.");
        QVERIFY(api().waitForRequests("getUpdates", 2));
        QCOMPARE(api().requests("getUpdates")[1].query(), QByteArray("offset=7&timeout=0"));
    }

    // The button of a first alert, pressed: pkill gets the raw name, cut to fit the button and
    // escaped so that it matches literally.
    void pressedAlertButtonForceQuitsTheEscapedName()
    {
        const QString rawApp = "com.example." + QString(60, QLatin1Char('x'));
        engine().recordAlert("camera", rawApp, {});
        QTRY_COMPARE(m_rig->sentMessages().size(), 1);
        const QJsonObject markup = m_rig->sentMessages()[0].json()["reply_markup"].toObject();
        const QString data =
            markup["inline_keyboard"].toArray()[0].toArray()[0].toObject()["callback_data"].toString();
        QCOMPARE(data.toUtf8().size(), 64);

        engine().stop(); // let the next start pick up the scripted press
        api().addUpdates({FakeBotApi::pressUpdate(12, "cb", data, TelegramRig::chatNumber)});
        engine().recordAlert("microphone", rawApp, {});
        QVERIFY(m_rig->pkill().waitForCalls(1));
        const QString cutName = data.mid(6);
        QCOMPARE(m_rig->pkill().calls(),
                 QList<QStringList>{pkillCall(QRegularExpression::escape(cutName.left(15)))});
        QVERIFY(rawApp.startsWith(cutName));
    }

    // A press handled just before quitting is not yet confirmed to Telegram, which delivers it again
    // at the next start unless the first pass of the new run asks after it.
    void handledPressIsNotObeyedAfterRestart()
    {
        engine().telegramPoller().setPollInterval(std::chrono::hours(1)); // quit before the next pass
        api().addUpdates({FakeBotApi::pressUpdate(41, "cb41", "block:Xos", TelegramRig::chatNumber)});
        engine().recordAlert("camera", "Xos", {});
        QTRY_COMPARE(m_rig->sentMessages().size(), 2); // the alert and the confirmation
        QCOMPARE(api().pendingUpdates().size(), 1);    // handled, not yet confirmed
        QCOMPARE(Settings().telegramLastUpdateId(), 41);

        m_rig->restartEngine();
        TelegramRig::offerButtons({"Zoom"});
        api().addUpdates({FakeBotApi::pressUpdate(42, "cb42", "block:Zoom", TelegramRig::chatNumber)});
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(api().waitForRequests("getUpdates", 2));
        QCOMPARE(api().requests("getUpdates")[1].query(), QByteArray("offset=42&timeout=0"));
        QVERIFY(m_rig->pkill().waitForCalls(2));
        QCOMPARE(m_rig->pkill().calls(), (QList<QStringList>{pkillCall("Xos"), pkillCall("Zoom")}));
    }

    // Update ids belong to one bot: another bot's token starts again from the beginning, while a new
    // secret for the same bot keeps the position.
    void anotherBotStartsFromTheBeginning_data()
    {
        QTest::addColumn<QString>("newToken");
        QTest::addColumn<QByteArray>("firstQuery");
        QTest::newRow("same bot, revoked secret") << "123456:NEW-secret" << QByteArray("offset=42&timeout=0");
        QTest::newRow("another bot") << "777:other-bot" << QByteArray("offset=1&timeout=0");
    }

    void anotherBotStartsFromTheBeginning()
    {
        QFETCH(QString, newToken);
        QFETCH(QByteArray, firstQuery);
        Settings().setTelegramLastUpdateId(41);
        Settings().setTelegramLastUpdateAt(QDateTime::currentDateTimeUtc().addSecs(-60));
        Settings().setTelegramBotToken(newToken);
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(api().waitForRequests("getUpdates", 1));
        QCOMPARE(api().requests("getUpdates")[0].query(), firstQuery);
        QCOMPARE(FakeBotApi::tokenOf(api().requests("getUpdates")[0]), newToken);
    }

    // Telegram keeps updates a day and may number them afresh, lower, after a quiet week: a saved
    // offset older than a day would hide every new press, so the first pass starts over.
    void staleSavedOffsetIsIgnored_data()
    {
        QTest::addColumn<int>("savedHoursAgo"); // -1: no time saved with it
        QTest::addColumn<QByteArray>("firstQuery");
        QTest::newRow("an hour old") << 1 << QByteArray("offset=42&timeout=0");
        QTest::newRow("23 hours old") << 23 << QByteArray("offset=42&timeout=0");
        QTest::newRow("25 hours old") << 25 << QByteArray("offset=1&timeout=0");
        QTest::newRow("a week old") << 24 * 7 << QByteArray("offset=1&timeout=0");
        QTest::newRow("no time") << -1 << QByteArray("offset=1&timeout=0");
    }

    void staleSavedOffsetIsIgnored()
    {
        QFETCH(int, savedHoursAgo);
        QFETCH(QByteArray, firstQuery);
        Settings().setTelegramLastUpdateId(41);
        if (savedHoursAgo >= 0)
            Settings().setTelegramLastUpdateAt(
                QDateTime::currentDateTimeUtc().addSecs(-3600 * savedHoursAgo));
        api().addRenumberedUpdates({FakeBotApi::pressUpdate(3, "cb3", "block:Xos", TelegramRig::chatNumber)});
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(api().waitForRequests("getUpdates", 1));
        QCOMPARE(api().requests("getUpdates")[0].query(), firstQuery);
        // Either way the renumbered press is found and obeyed (the fresh offset through the check below).
        QVERIFY(m_rig->pkill().waitForCalls(1));
        QCOMPARE(m_rig->pkill().calls(), QList<QStringList>{pkillCall("Xos")});
    }

    // A fresh offset, and Telegram has numbered new updates below it: the pass after the offset finds
    // nothing, a look without an offset (which confirms nothing) shows a lower id waiting, and the
    // poller starts over at the beginning.
    void renumberedUpdatesAreFoundAfterAnEmptyPass()
    {
        Settings().setTelegramLastUpdateId(41);
        Settings().setTelegramLastUpdateAt(QDateTime::currentDateTimeUtc().addSecs(-600));
        api().addRenumberedUpdates({FakeBotApi::pressUpdate(3, "cb3", "block:Xos", TelegramRig::chatNumber)});
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(m_rig->pkill().waitForCalls(1));
        QVERIFY(api().waitForRequests("getUpdates", 4));
        QStringList queries;
        for (const auto& request : api().requests("getUpdates").mid(0, 4))
            queries << QString::fromUtf8(request.query());
        QCOMPARE(queries, (QStringList{"offset=42&timeout=0", "limit=1&timeout=0", "offset=1&timeout=0",
                                       "offset=4&timeout=0"}));
        QCOMPARE(Settings().telegramLastUpdateId(), 3);
    }

    // An empty pass with nothing lower waiting keeps the offset.
    void emptyPassWithNothingWaitingKeepsTheOffset()
    {
        Settings().setTelegramLastUpdateId(41);
        Settings().setTelegramLastUpdateAt(QDateTime::currentDateTimeUtc().addSecs(-600));
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(api().waitForRequests("getUpdates", 3));
        const auto requests = api().requests("getUpdates");
        QCOMPARE(requests[1].query(), QByteArray("limit=1&timeout=0"));
        QCOMPARE(requests[2].query(), QByteArray("offset=42&timeout=0"));
        QCOMPARE(poller().lastUpdateId(), 41);
    }

    // Running for more than a day without an update: the offset in memory is as stale as a saved one.
    void offsetInMemoryGoesStaleAfterADay()
    {
        QDateTime now = QDateTime::currentDateTimeUtc();
        poller().setClock([&now] { return now; });
        api().addUpdates({FakeBotApi::messageUpdate(41, TelegramRig::chatNumber)});
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(api().waitForRequests("getUpdates", 2));
        QCOMPARE(api().requests("getUpdates")[1].query(), QByteArray("offset=42&timeout=0"));
        now = now.addSecs(25 * 3600);
        const qsizetype before = api().requests("getUpdates").size();
        QVERIFY(api().waitForRequests("getUpdates", int(before) + 2));
        // The pass in flight when the clock moved may still carry the old offset; the next starts over.
        QTRY_VERIFY(api().requests("getUpdates").constLast().query() == QByteArray("offset=1&timeout=0"));
        QCOMPARE(Settings().telegramLastUpdateId(), 0);
    }

    // The user connects another bot while polling runs: the answer of the old bot's pass in flight is
    // dropped (its press not obeyed, its id not saved for the new bot) and polling goes on with the new
    // token from the beginning. Removing the token ends polling.
    void tokenChangeDuringPollingFollowsTheNewBot()
    {
        api().queueReply("getUpdates", FakeBotApi::okReply(QJsonArray{FakeBotApi::pressUpdate(
                                           41, "cb41", "block:Xos", TelegramRig::chatNumber)}));
        engine().recordAlert("camera", "Xos", {}); // the first pass, with the old token, is on its way
        Settings().setTelegramBotToken("777:other-bot");
        QVERIFY(api().waitForRequests("getUpdates", 2));
        const auto second = api().requests("getUpdates")[1];
        QCOMPARE(FakeBotApi::tokenOf(second), "777:other-bot");
        QCOMPARE(second.query(), QByteArray("offset=1&timeout=0"));
        QCOMPARE(poller().token(), "777:other-bot");
        QTRY_COMPARE(engine().telegramApi().pendingRequests(), 0);
        QCOMPARE(api().requests("answerCallbackQuery").size(), 0);
        QCOMPARE(m_rig->pkill().calls().size(), 0);
        QVERIFY(!Settings().contains(SettingsKey::telegramLastUpdateId));

        Settings().remove(SettingsKey::telegramBotToken);
        QTRY_VERIFY(!poller().isPolling());
    }

    void stopCancelsPolling()
    {
        engine().telegramPoller().setPollInterval(std::chrono::milliseconds(0));
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(api().waitForRequests("getUpdates", 3));
        engine().stop();
        QVERIFY(!poller().isPolling());
        const qsizetype polls = api().requests("getUpdates").size();

        // Several round trips later, with no pause between passes, a running loop would have asked again.
        for (int i = 0; i < 3; ++i) {
            bool answered = false;
            engine().telegramApi().validateTelegramToken(
                TelegramRig::token, this, [&](const std::optional<QString>&) { answered = true; });
            QTRY_VERIFY(answered);
        }
        QCOMPARE(api().requests("getUpdates").size(), polls);
    }

    // The answer of a pass that arrives after stop is dropped: its press is not obeyed and stays
    // unconfirmed for a later run of the loop.
    void passAnsweredAfterStopKillsNothing()
    {
        api().addUpdates({FakeBotApi::pressUpdate(5, "cb5", "block:Xos", TelegramRig::chatNumber)});
        engine().recordAlert("camera", "Xos", {});
        engine().stop(); // the first pass is on its way
        QVERIFY(api().waitForRequests("getUpdates", 1));
        QTRY_COMPARE(engine().telegramApi().pendingRequests(), 0);
        QCOMPARE(api().requests("answerCallbackQuery").size(), 0);
        QCOMPARE(m_rig->pkill().calls().size(), 0);
        QCOMPARE(Settings().telegramLastUpdateId(), 0);
        QCOMPARE(api().pendingUpdates().size(), 1);
    }

private:
    MonitorEngine& engine() { return m_rig->engine(); }
    TelegramCallbackPoller& poller() { return m_rig->engine().telegramPoller(); }
    FakeBotApi& api() { return m_rig->api(); }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<TelegramRig> m_rig;
};

QTEST_GUILESS_MAIN(TelegramPollingTest)
#include "tst_telegrampolling.moc"
