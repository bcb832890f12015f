#include "monitor/TelegramBotApi.h"
#include "monitor/TelegramTexts.h"
#include "monitor/TelegramUpdate.h"

#include <QJsonDocument>
#include <QTest>

class TelegramTextsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstAlertText_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("expected");
        QTest::newRow("camera") << "camera"
                                << "Xos"
                                << "📷 Xos just turned on your camera";
        QTest::newRow("microphone") << "microphone"
                                    << "Something"
                                    << "🎤 Something just turned on your microphone";
        QTest::newRow("location") << "location"
                                  << "Maps"
                                  << "📍 Maps just checked your location";
        QTest::newRow("other type") << "screen"
                                    << "Obs"
                                    << "⚠️ Obs accessed your screen";
        QTest::newRow("case matters") << "Camera"
                                      << "Xos"
                                      << "⚠️ Xos accessed your Camera";
    }

    void firstAlertText()
    {
        QFETCH(QString, type);
        QFETCH(QString, app);
        QFETCH(QString, expected);
        QCOMPARE(TelegramTexts::firstAlertText(type, app), expected);
    }

    void digestText_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("twice") << "camera" << qint64(2)
                               << "📷 Your camera was used twice in the last 5 minutes";
        QTest::newRow("seven") << "microphone" << qint64(7)
                               << "🎤 Your microphone was used 7 times in the last 5 minutes";
        QTest::newRow("other type") << "network" << qint64(3)
                                    << "⚠️ Your network was used 3 times in the last 5 minutes";
    }

    void digestText()
    {
        QFETCH(QString, type);
        QFETCH(qint64, count);
        QFETCH(QString, expected);
        QCOMPARE(TelegramTexts::digestText(type, count), expected);
    }

    void fixedTexts()
    {
        QCOMPARE(TelegramTexts::welcomeText(),
                 QStringLiteral("✅ Halvex is connected!\n\nYou'll receive alerts here when an app accesses "
                                "your camera, microphone, or location."));
        QCOMPARE(TelegramTexts::forceQuitAnswer("Xos"), QStringLiteral("🚫 Xos force-quit!"));
        QCOMPARE(TelegramTexts::forceQuitConfirmation("Xos"), QStringLiteral("🚫 Xos has been force-quit."));
    }

    void blockCallbackData_data()
    {
        QTest::addColumn<QString>("rawApp");
        QTest::addColumn<QString>("expected");
        const QString fits = QString(58, QLatin1Char('a'));
        QTest::newRow("short") << "Xos"
                               << "block:Xos";
        QTest::newRow("exactly 64 bytes") << fits << "block:" + fits;
        QTest::newRow("ASCII cut at 64 bytes") << fits + "bc"
                                               << "block:" + fits;
        // 57 ASCII bytes and a two-byte "é" make 65 bytes with the prefix: the whole "é" goes.
        QTest::newRow("two-byte character across the limit") << QString(57, QLatin1Char('a')) + "é"
                                                             << "block:" + QString(57, QLatin1Char('a'));
        // An emoji is four UTF-8 bytes and two UTF-16 units: never half of it.
        QTest::newRow("emoji across the limit") << QString(56, QLatin1Char('a')) + "🎥x"
                                                << "block:" + QString(56, QLatin1Char('a'));
        QTest::newRow("emoji that fits") << QString(54, QLatin1Char('a')) + "🎥x"
                                         << "block:" + QString(54, QLatin1Char('a')) + "🎥";
    }

    void blockCallbackData()
    {
        QFETCH(QString, rawApp);
        QFETCH(QString, expected);
        const QString data = TelegramTexts::blockCallbackData(rawApp);
        QCOMPARE(data, expected);
        QVERIFY(data.toUtf8().size() <= TelegramTexts::maxCallbackDataBytes);
    }

    void forceQuitMarkupIsOneRowWithOneButton()
    {
        const QJsonObject markup =
            TelegramBotApi::forceQuitMarkup({QStringLiteral("Xos"), QStringLiteral("Zoom")});
        QCOMPARE(markup.keys(), QStringList{"inline_keyboard"});
        const QJsonArray rows = markup["inline_keyboard"].toArray();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].toArray().size(), 1);
        const QJsonObject button = rows[0].toArray()[0].toObject();
        QCOMPARE(button, (QJsonObject{{"text", "⛔ Force Quit Zoom"}, {"callback_data", "block:Xos"}}));
    }

    void redactToken_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Qt error quoting the URL") << "[Telegram] Send ERROR: Error transferring "
                                                     "https://api.telegram.org/bot123:SECRET/sendMessage - "
                                                     "server replied: Bad Request"
                                                  << "123:SECRET"
                                                  << "[Telegram] Send ERROR: Error transferring "
                                                     "https://api.telegram.org/bot<redacted>/sendMessage - "
                                                     "server replied: Bad Request";
        QTest::newRow("percent-encoded token") << "Error transferring http://h/bot12:a%20b/getMe"
                                               << "12:a b"
                                               << "Error transferring http://h/bot<redacted>/getMe";
        QTest::newRow("no URL") << "[Telegram] Send ERROR: Connection refused"
                                << "123:SECRET"
                                << "[Telegram] Send ERROR: Connection refused";
        QTest::newRow("empty token") << "http://h/bot/getMe"
                                     << ""
                                     << "http://h/bot/getMe";
    }

    void redactToken()
    {
        QFETCH(QString, line);
        QFETCH(QString, token);
        QFETCH(QString, expected);
        QCOMPARE(TelegramBotApi::redactToken(line, token), expected);
    }

    void latestChatId_data()
    {
        QTest::addColumn<QByteArray>("updates");
        QTest::addColumn<QString>("expected"); // empty: none
        QTest::newRow("last chat wins")
            << QByteArray(
                   R"([{"update_id":1,"message":{"chat":{"id":11}}},{"update_id":2,"message":{"chat":{"id":22}}}])")
            << "22";
        QTest::newRow("trailing press without message")
            << QByteArray(
                   R"([{"update_id":1,"message":{"chat":{"id":11}}},{"update_id":2,"callback_query":{"id":"c"}}])")
            << "11";
        QTest::newRow("group chat keeps its sign")
            << QByteArray(R"([{"update_id":1,"message":{"chat":{"id":-1001234567890}}}])")
            << "-1001234567890";
        QTest::newRow("string id is not numeric")
            << QByteArray(R"([{"update_id":1,"message":{"chat":{"id":"33"}}}])") << "";
        QTest::newRow("no updates") << QByteArray("[]") << "";
    }

    void latestChatId()
    {
        QFETCH(QByteArray, updates);
        QFETCH(QString, expected);
        const auto chatId = TelegramBotApi::latestChatId(QJsonDocument::fromJson(updates).array());
        QCOMPARE(chatId.value_or(QString()), expected);
    }

    void resultList_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("size"); // -1: none
        QTest::newRow("list") << QByteArray(R"({"ok":true,"result":[{},{}]})") << 2;
        QTest::newRow("refused token")
            << QByteArray(R"({"ok":false,"error_code":401,"description":"Unauthorized"})") << -1;
        QTest::newRow("result not a list") << QByteArray(R"({"ok":true,"result":true})") << -1;
        QTest::newRow("not JSON") << QByteArray("<html>bad gateway</html>") << -1;
        QTest::newRow("top-level list") << QByteArray(R"([{"result":[]}])") << -1;
    }

    void resultList()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, size);
        const auto list = TelegramBotApi::resultList(body);
        QCOMPARE(list ? int(list->size()) : -1, size);
    }

    void buttonPressNeedsStringIdAndData()
    {
        const auto parse = [](const char* json) {
            return TelegramUpdate::buttonPress(QJsonDocument::fromJson(json).object());
        };
        const auto press = parse(
            R"({"update_id":4,"callback_query":{"id":"q","data":"block:Xos","message":{"chat":{"id":-5}}}})");
        QVERIFY(press);
        QCOMPARE(press->callbackId, QStringLiteral("q"));
        QCOMPARE(press->data, QStringLiteral("block:Xos"));
        QCOMPARE(press->chatId, std::optional<qint64>(-5));
        QVERIFY(!parse(R"({"callback_query":{"id":4,"data":"block:Xos"}})"));
        QVERIFY(!parse(R"({"callback_query":{"id":"q"}})"));
        QVERIFY(!parse(R"({"message":{"chat":{"id":1}}})"));
        QVERIFY(!parse(R"({"callback_query":{"id":"q","data":"block:X"}})")->chatId);
        QCOMPARE(TelegramUpdate::updateId(QJsonDocument::fromJson(R"({"update_id":9})").object()),
                 std::optional<qint64>(9));
        QVERIFY(!TelegramUpdate::updateId(QJsonDocument::fromJson(R"({"update_id":9.5})").object()));
        QVERIFY(!TelegramUpdate::updateId(QJsonDocument::fromJson(R"({"update_id":"9"})").object()));
    }
};

QTEST_GUILESS_MAIN(TelegramTextsTest)
#include "tst_telegramtexts.moc"
