#include "fakes/FakeBotApi.h"
#include "monitor/TelegramTexts.h"
#include "platform/Settings.h"
#include "support/LoopbackPort.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

const QString token = QStringLiteral("123456:SECRET-token_xyz");

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

// `halvex telegram-setup` as a user runs it on a machine without a display: a real process, the token on
// standard input or in a file, a fake Bot API, a fake systemctl and a private home.
class TelegramSetupCommandTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_api = std::make_unique<FakeBotApi>();
        m_systemctl = std::make_unique<FakeTool>("HALVEX_TOOL_SYSTEMCTL");
        QDir().mkpath(m_home->path() + "/backend");
        Settings().setValue(SettingsKey::backendWorkDir, m_home->path() + "/backend");
        writeFile(envPath(), "PORT=3456\nTELEGRAM_BOT_TOKEN=old\n");
    }
    void cleanup()
    {
        m_systemctl.reset();
        m_api.reset();
        m_home.reset();
    }

    void connectsWithTheTokenFromStandardInputOrAFile_data()
    {
        QTest::addColumn<bool>("fromFile");
        QTest::newRow("standard input") << false;
        QTest::newRow("token file") << true;
    }

    void connectsWithTheTokenFromStandardInputOrAFile()
    {
        QFETCH(bool, fromFile);
        m_api->addUpdates({FakeBotApi::messageUpdate(5, 4242)});
        QStringList arguments{"telegram-setup"};
        QByteArray input;
        if (fromFile) {
            const QString file = m_home->path() + "/token.txt";
            writeFile(file, (token + "\n").toUtf8());
            arguments << "--token-file" << file;
        } else {
            input = ("  " + token + "\n").toUtf8();
        }
        const Run run = runSetup(arguments, input);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QString::fromUtf8("Send /start to @halvex_test_bot in Telegram…")),
                 qPrintable(run.out));
        QVERIFY(run.out.contains("Telegram is connected!"));
        QVERIFY(!run.out.contains(token) && !run.err.contains(token));
        QVERIFY(!arguments.join(' ').contains(token));

        QCOMPARE(Settings().telegramBotToken(), token);
        QCOMPARE(Settings().telegramChatId(), "4242");
        QCOMPARE(readFile(envPath()), "PORT=3456\nTELEGRAM_BOT_TOKEN=" + token.toUtf8() + "\n");
        QCOMPARE(FakeBotApi::tokenOf(m_api->requests("getMe").constFirst()), token);
        const auto sent = m_api->requests("sendMessage");
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].json()["text"].toString(), TelegramTexts::welcomeText());
        QCOMPARE(sent[0].json()["chat_id"].toString(), "4242");
        // The backend was restarted so that it reads the new token.
        QVERIFY(m_systemctl->waitForCalls(2));
        QCOMPARE(m_systemctl->calls(), (QList<QStringList>{{"--user", "stop", "halvex-backend.service"},
                                                           {"--user", "start", "halvex-backend.service"}}));
    }

    void refusesAnInvalidToken()
    {
        m_api->queueReply("getMe", {401, R"({"ok":false,"error_code":401,"description":"Unauthorized"})"});
        const Run run = runSetup({"telegram-setup"}, (token + "\n").toUtf8());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("Invalid token. Please check and try again."), qPrintable(run.err));
        QVERIFY(!run.out.contains(token) && !run.err.contains(token));
        QCOMPARE(Settings().telegramBotToken(), std::nullopt);
        QCOMPARE(readFile(envPath()), "PORT=3456\nTELEGRAM_BOT_TOKEN=old\n");
        QCOMPARE(m_api->requests("getUpdates").size(), 0);
    }

    // A getMe that never reached Telegram says nothing of the token: the reason is that, and nothing
    // is stored.
    void saysWhenTelegramCannotBeReached()
    {
        const QString nowhere = QStringLiteral("http://127.0.0.1:%1").arg(closedLoopbackPort());
        const Run run =
            runSetup({"telegram-setup"}, (token + "\n").toUtf8(), {{"HALVEX_TELEGRAM_API", nowhere}});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(
            run.err.contains("Telegram could not be reached. Check your internet connection and try again."),
            qPrintable(run.err));
        QVERIFY2(!run.err.contains("Invalid token"), qPrintable(run.err));
        QCOMPARE(Settings().telegramBotToken(), std::nullopt);
        QCOMPARE(readFile(envPath()), "PORT=3456\nTELEGRAM_BOT_TOKEN=old\n");
    }

    void givesUpWhenNobodyWritesToTheBot()
    {
        const Run run =
            runSetup({"telegram-setup"}, (token + "\n").toUtf8(),
                     {{"HALVEX_CHAT_SEARCH_ATTEMPTS", "3"}, {"HALVEX_CHAT_SEARCH_PAUSE_MS", "10"}});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.out.contains(QString::fromUtf8("Waiting for /start… (attempt 3 of 3)")),
                 qPrintable(run.out));
        QVERIFY(run.err.contains("No chat found after 3 attempts"));
        QCOMPARE(m_api->requests("getUpdates").size(), 3);
        QCOMPARE(m_api->requests("sendMessage").size(), 0);
        QCOMPARE(Settings().telegramBotToken(), token); // stored: the next alert searches again
        QCOMPARE(Settings().telegramChatId(), std::nullopt);
    }

    // The token never goes on the command line, where other users see it in ps.
    void refusesATokenOnTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("bare token") << QStringList{"telegram-setup", token};
        QTest::newRow("option") << QStringList{"telegram-setup", "--token", token};
        QTest::newRow("file without a path") << QStringList{"telegram-setup", "--token-file"};
    }

    void refusesATokenOnTheCommandLine()
    {
        QFETCH(QStringList, arguments);
        const Run run = runSetup(arguments, {});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("Usage: halvex telegram-setup [--token-file PATH]"));
        QCOMPARE(m_api->requests().size(), 0);
    }

    void emptyInputIsNoToken()
    {
        const Run run = runSetup({"telegram-setup"}, "\n");
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("No bot token was given."));
        QCOMPARE(m_api->requests().size(), 0);
    }

private:
    QString envPath() const { return m_home->path() + "/backend/.env"; }

    static void writeFile(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The fake Bot API lives in this process: wait with the event loop running.
    Run runSetup(const QStringList& arguments, const QByteArray& input,
                 const QList<std::pair<QString, QString>>& extra = {})
    {
        QProcess halvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HALVEX_TELEGRAM_API", m_api->origin());
        environment.insert("HALVEX_PLATFORM", "linux");
        environment.remove("DISPLAY");
        for (const auto& [name, value] : extra)
            environment.insert(name, value);
        halvex.setProcessEnvironment(environment);
        halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), arguments);
        if (!halvex.waitForStarted())
            return {};
        halvex.write(input);
        halvex.closeWriteChannel();
        if (!QTest::qWaitFor([&] { return halvex.state() == QProcess::NotRunning; }, 30000))
            halvex.kill();
        halvex.waitForFinished();
        return {halvex.exitStatus() == QProcess::NormalExit ? halvex.exitCode() : -1,
                QString::fromUtf8(halvex.readAllStandardOutput()),
                QString::fromUtf8(halvex.readAllStandardError())};
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeBotApi> m_api;
    std::unique_ptr<FakeTool> m_systemctl;
};

QTEST_GUILESS_MAIN(TelegramSetupCommandTest)
#include "tst_telegramsetupcommand.moc"
