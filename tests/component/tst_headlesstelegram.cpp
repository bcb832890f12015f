#include "fakes/FakeBotApi.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QTest>

#include <memory>

namespace {

const QString token = QStringLiteral("123456:ABC-def_ghi");
constexpr qint64 chatId = 424242;

// What tccd logs when Zoom turns the camera on.
const QString cameraLine = QStringLiteral(
    "2025-03-01 09:15:42.517 Df tccd[123:abc] [com.apple.TCC:access] AUTHREQ_RESULT: authValue=2, "
    "service=kTCCServiceCamera, attributedBundleIdentifier=us.zoom.xos");

} // namespace

// The real `halvex --headless` against fake tools and a fake Bot API: a live access reaches the chat
// at once with a force-quit button, and pressing it force-quits the application through pkill.
class HeadlessTelegramTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_home = std::make_unique<TemporaryHome>(); }

    void liveAlertIsForwardedAndItsButtonForceQuits()
    {
        FakeBotApi api;
        FakeTool log(QStringLiteral("HALVEX_TOOL_LOG"));
        log.setScriptBody(QStringLiteral("printf '%s\\n' '%1'\nexec sleep 60\n").arg(cameraLine));
        FakeTool pkill(QStringLiteral("HALVEX_TOOL_PKILL"));
        FakeTool osascript(QStringLiteral("HALVEX_TOOL_OSASCRIPT"));
        FakeTool pgrep(QStringLiteral("HALVEX_TOOL_PGREP"), {}, 1);
        FakeTool ps(QStringLiteral("HALVEX_TOOL_PS"));
        Settings settings;
        settings.setTelegramBotToken(token);
        settings.setTelegramChatId(QString::number(chatId));

        QProcess halvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HALVEX_PLATFORM", "macos");
        environment.insert("HALVEX_TELEGRAM_API", api.origin());
        halvex.setProcessEnvironment(environment);
        halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), {"--headless"});
        QVERIFY(halvex.waitForStarted());

        // On failure, what halvex printed tells whether the access was seen at all.
        if (!api.waitForRequests("sendMessage", 1, 15000))
            QFAIL((halvex.readAllStandardOutput() + halvex.readAllStandardError()).constData());
        const QJsonObject alert = api.requests("sendMessage")[0].json();
        QCOMPARE(alert["text"].toString(), QStringLiteral("📷 Xos just turned on your camera"));
        QCOMPARE(alert["chat_id"].toString(), QString::number(chatId));
        const QJsonObject button =
            alert["reply_markup"].toObject()["inline_keyboard"].toArray()[0].toArray()[0].toObject();
        QCOMPARE(button["text"].toString(), QStringLiteral("⛔ Force Quit Xos"));

        api.addUpdates({FakeBotApi::pressUpdate(8, "cb8", button["callback_data"].toString(), chatId)});
        QVERIFY(pkill.waitForCalls(1, 15000));
        QCOMPARE(pkill.calls(), (QList<QStringList>{{"-i", "Xos"}}));
        QVERIFY(api.waitForRequests("answerCallbackQuery", 1));
        QVERIFY(api.waitForRequests("sendMessage", 2));
        QCOMPARE(api.requests("sendMessage")[1].json()["text"].toString(),
                 QStringLiteral("🚫 Xos has been force-quit."));

        halvex.terminate();
        QVERIFY(halvex.waitForFinished(15000));
        const QByteArray printed = halvex.readAllStandardOutput();
        QVERIFY2(printed.contains(R"("app":"Xos")"), printed.constData());
        QVERIFY(!halvex.readAllStandardError().contains(token.toUtf8()));
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(HeadlessTelegramTest)
#include "tst_headlesstelegram.moc"
