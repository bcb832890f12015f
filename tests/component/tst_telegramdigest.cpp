#include "monitor/TelegramCallbackPoller.h"
#include "monitor/TelegramDigest.h"
#include "platform/Settings.h"
#include "support/TelegramRig.h"

#include <QTest>

#include <memory>

using namespace std::chrono_literals;

// Accesses recorded by the engine reach the Telegram chat: the first of a type at once, the rest as
// one digest when the (shortened) window closes.
class TelegramDigestTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_home = std::make_unique<TemporaryHome>(); }
    void init() { m_rig = std::make_unique<TelegramRig>(); }
    void cleanup() { m_rig.reset(); }

    void firstAccessAtOnceThenDigest_data()
    {
        QTest::addColumn<int>("accesses");
        QTest::addColumn<QStringList>("expected");
        const QString first = QStringLiteral("📷 Xos just turned on your camera");
        QTest::newRow("single access, no digest") << 1 << QStringList{first};
        QTest::newRow("twice") << 2
                               << QStringList{first, "📷 Your camera was used twice in the last 5 minutes"};
        QTest::newRow("three times") << 3
                                     << QStringList{first,
                                                    "📷 Your camera was used 3 times in the last 5 minutes"};
    }

    void firstAccessAtOnceThenDigest()
    {
        QFETCH(int, accesses);
        QFETCH(QStringList, expected);
        const qsizetype stored = engine().alerts().size();
        for (int i = 0; i < accesses; ++i)
            engine().recordAlert("camera", "Xos", QString("line %1").arg(i));

        // Counted, not sent: the cool-down hides the repeats from the list, not from the digest.
        QCOMPARE(engine().alerts().size(), stored + 1);
        const DigestBucket bucket = engine().telegramDigest().buckets().value("camera");
        QCOMPARE(bucket.count, qint64(accesses));
        QCOMPARE(bucket.apps, (QHash<QString, int>{{"Xos", accesses}}));

        QTRY_VERIFY(engine().telegramDigest().buckets().isEmpty()); // the window has closed
        QTRY_COMPARE(m_rig->sentTexts(), expected);
        const auto sent = m_rig->sentMessages();
        QVERIFY(sent[0].json().contains("reply_markup"));
        if (accesses > 1)
            QVERIFY(!sent[1].json().contains("reply_markup"));
        for (const auto& request : sent) {
            QCOMPARE(FakeBotApi::tokenOf(request), TelegramRig::token);
            QCOMPARE(request.json()["chat_id"].toString(), TelegramRig::chatId);
        }
    }

    void firstAlertButtonForcesQuitTheRawName()
    {
        engine().recordAlert("microphone", "us.zoom.Xos", {});
        QTRY_COMPARE(m_rig->sentMessages().size(), 1);
        const QJsonObject markup = m_rig->sentMessages()[0].json()["reply_markup"].toObject();
        const QJsonArray rows = markup["inline_keyboard"].toArray();
        QCOMPARE(rows.size(), 1);
        const QJsonObject button{{"text", "⛔ Force Quit us.zoom.Xos"},
                                 {"callback_data", "block:us.zoom.Xos"}};
        QCOMPARE(rows[0].toArray(), QJsonArray{button});
    }

    void everyTypeHasItsOwnWindow()
    {
        engine().recordAlert("camera", "Xos", {});
        engine().recordAlert("microphone", "Xos", {});
        engine().recordAlert("Location", "Maps", {});
        QCOMPARE(engine().telegramDigest().buckets().size(), 3);
        QTRY_VERIFY(engine().telegramDigest().buckets().isEmpty());
        // Three sends at once travel over parallel connections: their arrival order is not fixed.
        QTRY_COMPARE(m_rig->sentMessages().size(), 3);
        QStringList texts = m_rig->sentTexts();
        QStringList expected{"📷 Xos just turned on your camera", "🎤 Xos just turned on your microphone",
                             "📍 Maps just checked your location"};
        texts.sort();
        expected.sort();
        QCOMPARE(texts, expected);
    }

    void unknownApplicationHasNoButton_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown app") << "camera"
                                     << "Unknown App"
                                     << "📷 Something just turned on your camera";
        QTest::newRow("tccd") << "microphone"
                              << "TCCD"
                              << "🎤 Something just turned on your microphone";
        QTest::newRow("other type, known app") << "screen"
                                               << "Obs"
                                               << "⚠️ Obs accessed your screen";
    }

    void unknownApplicationHasNoButton()
    {
        QFETCH(QString, type);
        QFETCH(QString, app);
        QFETCH(QString, expected);
        engine().recordAlert(type, app, {});
        QTRY_COMPARE(m_rig->sentTexts(), QStringList{expected});
        QCOMPARE(m_rig->sentMessages()[0].json().contains("reply_markup"), app == "Obs");
    }

    // Nothing is forwarded without a token; the access after the token is set goes out, alone.
    void withoutTokenNothingHappens()
    {
        Settings().remove(SettingsKey::telegramBotToken);
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(engine().telegramDigest().buckets().isEmpty());
        QVERIFY(!engine().telegramPoller().isPolling());

        Settings().setTelegramBotToken(TelegramRig::token);
        engine().recordAlert("microphone", "Zoom", {});
        QTRY_COMPARE(m_rig->sentTexts(), QStringList{"🎤 Zoom just turned on your microphone"});
        QCOMPARE(m_rig->api().requests("deleteWebhook").size(), 0);
    }

    // Without a chat id the access starts a search and is dropped, even once the id is found.
    void withoutChatIdTheAccessSearchesAndIsDropped()
    {
        CapturedStdout output;
        Settings().remove(SettingsKey::telegramChatId);
        m_rig->api().addUpdates({FakeBotApi::messageUpdate(3, 111), FakeBotApi::messageUpdate(4, 777)});
        engine().recordAlert("camera", "Xos", {});
        QVERIFY(!engine().telegramPoller().isPolling());
        QCOMPARE(output.waitForLineStartingWith("[Telegram] chatId found: "),
                 QStringLiteral("[Telegram] chatId found: 777"));
        QCOMPARE(Settings().telegramChatId(), std::optional<QString>("777"));
        QVERIFY(engine().telegramDigest().buckets().isEmpty());
        QCOMPARE(m_rig->sentMessages().size(), 0);

        engine().recordAlert("camera", "Xos", {});
        QTRY_COMPARE(m_rig->sentMessages().size(), 1);
        QCOMPARE(m_rig->sentMessages()[0].json()["chat_id"].toString(), QStringLiteral("777"));
        QVERIFY(engine().telegramPoller().isPolling());
    }

    // A token or chat change while a window is open: the digest still goes where the window began.
    void digestUsesTheSettingsOfItsWindow()
    {
        engine().recordAlert("camera", "Xos", {});
        Settings().setTelegramBotToken("123456:NEW-secret");
        Settings().setTelegramChatId("999");
        engine().recordAlert("camera", "Xos", {});
        QTRY_COMPARE(m_rig->sentMessages().size(), 2);
        const auto digest = m_rig->sentMessages()[1];
        QCOMPARE(digest.json()["text"].toString(), "📷 Your camera was used twice in the last 5 minutes");
        QCOMPARE(FakeBotApi::tokenOf(digest), TelegramRig::token);
        QCOMPARE(digest.json()["chat_id"].toString(), TelegramRig::chatId);
    }

    // The window stays open, and its digest goes out, even when the first message failed.
    void failedFirstMessageKeepsTheWindow()
    {
        CapturedStdout output;
        m_rig->api().queueReply("sendMessage", {500, "down"});
        engine().recordAlert("camera", "Xos", {});
        engine().recordAlert("camera", "Xos", {});
        QCOMPARE(output.waitForLineStartingWith("[Telegram] Send"),
                 "[Telegram] Send FAILED (HTTP 500): down");
        QTRY_COMPARE(m_rig->sentMessages().size(), 2);
        QCOMPARE(m_rig->sentTexts().constLast(), "📷 Your camera was used twice in the last 5 minutes");
    }

    // Stopping the engine cancels the polling but neither closes windows nor cancels their flush.
    void stopKeepsOpenWindows()
    {
        engine().recordAlert("camera", "Xos", {});
        engine().recordAlert("camera", "Xos", {});
        engine().stop();
        QVERIFY(!engine().telegramPoller().isPolling());
        QCOMPARE(engine().telegramDigest().buckets().size(), 1);
        QTRY_COMPARE(m_rig->sentMessages().size(), 2);
    }

private:
    MonitorEngine& engine() { return m_rig->engine(); }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<TelegramRig> m_rig;
};

QTEST_GUILESS_MAIN(TelegramDigestTest)
#include "tst_telegramdigest.moc"
