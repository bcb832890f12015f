#include "backend/HalvexClient.h"
#include "fakes/FakeBotApi.h"
#include "platform/Settings.h"
#include "storage/Database.h"
#include "storage/EventStore.h"
#include "support/Awaited.h"
#include "support/HalvexdProcess.h"
#include "support/LoopbackPort.h"
#include "support/RawHttp.h"
#include "support/ResidentMemory.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

// The real halvexd on a free port, driven by the desktop's own HalvexClient and by raw requests.
class HalvexdTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<QTemporaryDir> m_workDir;
    std::unique_ptr<FakeBotApi> m_botApi;
    std::unique_ptr<FakeTool> m_pkill;
    std::unique_ptr<HalvexdProcess> m_halvexd;
    std::unique_ptr<HalvexClient> m_client;

    bool startBackend()
    {
        if (!m_halvexd->start())
            return false;
        Settings().setValue(SettingsKey::serverURL, m_halvexd->baseUrl());
        return true;
    }

    HalvexClient& client() { return *m_client; }
    QString databasePath() const { return m_home->dataDirectory() + QStringLiteral("/backend.db"); }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_workDir = std::make_unique<QTemporaryDir>();
        m_botApi = std::make_unique<FakeBotApi>();
        m_pkill = std::make_unique<FakeTool>(QStringLiteral("HALVEX_TOOL_PKILL"));
        m_halvexd = std::make_unique<HalvexdProcess>(m_home->path(), m_workDir->path());
        m_halvexd->setEnvironment(QStringLiteral("HALVEX_TELEGRAM_API"), m_botApi->origin());
        m_halvexd->setEnvironment(QStringLiteral("HALVEX_TOOL_PKILL"), m_pkill->path());
        m_client = std::make_unique<HalvexClient>(HalvexClient::Timeouts{20000, 20000});
    }

    void cleanup()
    {
        if (m_halvexd)
            QCOMPARE(m_halvexd->stop(), 0); // a clean exit, leak checks included
        m_client.reset();
        m_halvexd.reset();
        m_pkill.reset();
        m_botApi.reset();
        m_workDir.reset();
        m_home.reset();
    }

    void freshBackendAnswersEveryRead()
    {
        QVERIFY(startBackend());
        QVERIFY(awaitResult<bool>([&](auto c, auto d) { client().checkStatus(c, d); }));
        QVERIFY(
            awaitResult<QList<SecurityAlert>>([&](auto c, auto d) { client().fetchAlerts(c, d); }).isEmpty());
        const auto stats =
            awaitResult<std::optional<DashboardStats>>([&](auto c, auto d) { client().fetchStats(c, d); });
        QVERIFY(stats);
        QCOMPARE(stats->total, 0);
        const auto xmtp =
            awaitResult<std::optional<XMTPStatus>>([&](auto c, auto d) { client().fetchXMTPStatus(c, d); });
        QVERIFY(xmtp);
        QVERIFY(!xmtp->running);
        QVERIFY(!awaitResult<std::optional<TelegramStatus>>(
            [&](auto c, auto d) { client().fetchTelegramStatus(c, d); }));
        QVERIFY(awaitResult<QList<Automation>>([&](auto c, auto d) {
                    client().fetchAutomations(c, d);
                }).isEmpty());
        QVERIFY(awaitResult<QList<CustomSkillDef>>([&](auto c, auto d) {
                    client().fetchCustomSkills(c, d);
                }).isEmpty());
        QVERIFY(QFile::exists(databasePath()));
    }

    void eventsComeFromTheTable()
    {
        {
            auto database = Database::open(databasePath(), nullptr);
            EventStore events(database->connection());
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            QVERIFY(events.add(QStringLiteral("camera"), QStringLiteral("zoom.us"), std::nullopt,
                               now - 2 * 86'400'000));
            QVERIFY(events.add(QStringLiteral("microphone"), QStringLiteral("Discord"),
                               QStringLiteral("stream"), now - 60'000));
            QVERIFY(
                events.add(QStringLiteral("camera"), QStringLiteral("Discord"), std::nullopt, now - 1000));
        }
        QVERIFY(startBackend());
        const auto alerts =
            awaitResult<QList<SecurityAlert>>([&](auto c, auto d) { client().fetchAlerts(c, d); });
        QCOMPARE(alerts.size(), 3);
        QCOMPARE(alerts[0].type, QStringLiteral("camera"));
        QCOMPARE(alerts[0].app, QStringLiteral("Discord"));
        QCOMPARE(alerts[1].details, std::optional<QString>(QStringLiteral("stream")));
        QCOMPARE(alerts[2].app, QStringLiteral("zoom.us"));
        const auto stats =
            awaitResult<std::optional<DashboardStats>>([&](auto c, auto d) { client().fetchStats(c, d); });
        QVERIFY(stats);
        QCOMPARE(stats->total, 3);
        QCOMPARE(stats->last24h, 2);
        QCOMPARE(stats->byType.value(QStringLiteral("camera")), 2);
        QCOMPARE(stats->byApp.value(QStringLiteral("Discord")), 2);
    }

    void customSkillsRoundTrip()
    {
        QVERIFY(startBackend());
        const auto created = awaitResult<std::optional<CustomSkillDef>>([&](auto c, auto d) {
            client().createCustomSkill(QStringLiteral(" Answer "), QStringLiteral("🧮"),
                                       QStringLiteral("#!/bin/bash\necho $((6*7))\n"), c, d);
        });
        QVERIFY(created);
        QCOMPARE(created->name, QStringLiteral(" Answer "));
        QCOMPARE(awaitResult<std::optional<QString>>(
                     [&](auto c, auto d) { client().executeCommand(created->id, c, d); }),
                 std::optional<QString>(QStringLiteral("42")));
        CustomSkillDef changed = *created;
        changed.name = QStringLiteral("Answer");
        changed.script = QStringLiteral("echo changed");
        QVERIFY(awaitResult<bool>([&](auto c, auto d) { client().updateCustomSkill(changed, c, d); }));
        const auto listed =
            awaitResult<QList<CustomSkillDef>>([&](auto c, auto d) { client().fetchCustomSkills(c, d); });
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed[0].name, QStringLiteral("Answer"));
        QCOMPARE(listed[0].script, QStringLiteral("echo changed"));
        QVERIFY(awaitResult<bool>([&](auto c, auto d) { client().enableAutomation(created->id, c, d); }));
        QVERIFY(awaitResult<bool>([&](auto c, auto d) { client().deleteCustomSkill(created->id, c, d); }));
        QVERIFY(!awaitResult<bool>([&](auto c, auto d) { client().deleteCustomSkill(created->id, c, d); }));
        QVERIFY(awaitResult<QList<CustomSkillDef>>([&](auto c, auto d) {
                    client().fetchCustomSkills(c, d);
                }).isEmpty());
        // The automation went with its script.
        QVERIFY(awaitResult<QList<Automation>>([&](auto c, auto d) {
                    client().fetchAutomations(c, d);
                }).isEmpty());
        QVERIFY(!awaitResult<bool>([&](auto c, auto d) { client().updateCustomSkill(changed, c, d); }));
    }

    void commandsAndChat_data()
    {
        QTest::addColumn<bool>("chat");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("script under test")
            << false << QStringLiteral("#!/bin/bash\necho \"sum $((2+3))\"\n") << QStringLiteral("sum 5");
        QTest::newRow("failing script")
            << false << QStringLiteral("echo no >&2; exit 4") << QStringLiteral("no\n(exit status 4)");
        QTest::newRow("skill id") << false << QStringLiteral("memory-usage") << QStringLiteral("Memory:");
        QTest::newRow("threat skill")
            << false << QStringLiteral("rootkit-scanner") << QStringLiteral("Rootkits: none found");
        QTest::newRow("block usage") << false << QStringLiteral("block camera")
                                     << QStringLiteral("Usage: block");
        QTest::newRow("help") << true << QStringLiteral("help") << QStringLiteral("camera-status — Camera");
        QTest::newRow("keyword") << true << QStringLiteral("How much RAM is used?")
                                 << QStringLiteral("🧠 Memory\n");
        QTest::newRow("catalogue name")
            << true << QStringLiteral("Open Ports") << QStringLiteral("Open ports:");
        QTest::newRow("ambiguous") << true << QStringLiteral("clean")
                                   << QStringLiteral("Which one do you mean?");
        QTest::newRow("anything else")
            << true << QStringLiteral("tell me a joke") << QStringLiteral("type \"help\"");
    }

    void commandsAndChat()
    {
        QFETCH(bool, chat);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QVERIFY(startBackend());
        const auto reply = awaitResult<std::optional<QString>>([&](auto c, auto d) {
            if (chat)
                client().sendChatMessage(text, c, d);
            else
                client().executeCommand(text, c, d);
        });
        QVERIFY(reply);
        QVERIFY2(reply->contains(expected), qPrintable(*reply));
    }

    void blockForceQuitsLikeTheEngine()
    {
        QVERIFY(startBackend());
        const auto reply = awaitResult<std::optional<QString>>(
            [&](auto c, auto d) { client().executeCommand(QStringLiteral("block camera zoom.us"), c, d); });
        QVERIFY(reply && reply->contains(QLatin1String("zoom.us")));
        QVERIFY(m_pkill->waitForCalls(1));
        QCOMPARE(m_pkill->calls().first(),
                 (QStringList{QStringLiteral("-x"), QStringLiteral("-i"), QStringLiteral("zoom\\.us")}));
    }

    // With the real pkill: "force-quit" only when a process was there to end.
    void blockSaysWhetherAnythingRan_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("nothing by that name") << false;
        QTest::newRow("a running app") << true;
    }

    void blockSaysWhetherAnythingRan()
    {
        QFETCH(bool, running);
        const QString pkill = QStandardPaths::findExecutable(QStringLiteral("pkill"));
        if (pkill.isEmpty())
            QSKIP("needs pkill");
        m_halvexd->setEnvironment(QStringLiteral("HALVEX_TOOL_PKILL"), pkill);
        QTemporaryDir bin;
        const QString app = QStringLiteral("hxblock%1").arg(QCoreApplication::applicationPid() % 100000);
        QProcess process;
        if (running) {
            QVERIFY(QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), bin.filePath(app)));
            process.start(bin.filePath(app), {QStringLiteral("60")});
            QVERIFY(process.waitForStarted());
        }
        QVERIFY(startBackend());
        const auto reply = awaitResult<std::optional<QString>>(
            [&](auto c, auto d) { client().executeCommand(QStringLiteral("block camera ") + app, c, d); });
        QVERIFY(reply);
        if (running) {
            QCOMPARE(*reply, QStringLiteral("⛔ %1 force-quit (camera)").arg(app));
            QTRY_COMPARE(process.state(), QProcess::NotRunning);
            QCOMPARE(process.exitStatus(), QProcess::CrashExit); // ended by pkill's signal
        } else {
            QCOMPARE(*reply, QStringLiteral("No running app named %1").arg(app));
        }
    }

    void automationsSurviveRestart()
    {
        QVERIFY(startBackend());
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { client().enableAutomation(QStringLiteral("firewall-status"), c, d); }));
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { client().enableAutomation(QStringLiteral("camera-status"), c, d); }));
        QVERIFY(!awaitResult<bool>(
            [&](auto c, auto d) { client().enableAutomation(QStringLiteral("screenshot"), c, d); }));
        QVERIFY(!awaitResult<bool>(
            [&](auto c, auto d) { client().enableAutomation(QStringLiteral("flush-dns"), c, d); }));
        QVERIFY(!awaitResult<bool>(
            [&](auto c, auto d) { client().enableAutomation(QStringLiteral("no-such-skill"), c, d); }));
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { client().disableAutomation(QStringLiteral("camera-status"), c, d); }));
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { client().disableAutomation(QStringLiteral("vpn-checker"), c, d); }));
        QVERIFY(m_halvexd->restart());
        const auto automations =
            awaitResult<QList<Automation>>([&](auto c, auto d) { client().fetchAutomations(c, d); });
        QCOMPARE(automations.size(), 2);
        QCOMPARE(automations[0].skillId, QStringLiteral("firewall-status"));
        QCOMPARE(automations[0].schedule, QStringLiteral("Every 2h"));
        QCOMPARE(automations[0].name, std::optional<QString>(QStringLiteral("Firewall")));
        QVERIFY(automations[0].enabled);
        QCOMPARE(automations[1].skillId, QStringLiteral("camera-status"));
        QCOMPARE(automations[1].schedule, QStringLiteral("Every 30 min"));
        QVERIFY(!automations[1].enabled);
    }

    // Every create that was answered 200 before the kill is there after the restart.
    void killDuringWritesLosesNothingCommitted()
    {
        QVERIFY(startBackend());
        QStringList answered;
        int sent = 0;
        for (int round = 0; round < 6; ++round) {
            for (int i = 0; i < 8; ++i, ++sent) {
                client().createCustomSkill(QStringLiteral("skill %1").arg(sent), QStringLiteral("⚡"),
                                           QStringLiteral("echo %1").arg(sent), this,
                                           [&answered](std::optional<CustomSkillDef> created) {
                                               if (created)
                                                   answered.append(created->id);
                                           });
            }
            if (round == 3) {
                QTRY_VERIFY(answered.size() >= 20);
                m_halvexd->killHard();
            }
        }
        QTest::qWait(300);
        const QStringList committed = answered;
        QVERIFY(m_halvexd->start(m_halvexd->port()));
        const auto stored =
            awaitResult<QList<CustomSkillDef>>([&](auto c, auto d) { client().fetchCustomSkills(c, d); });
        QStringList storedIds;
        for (const CustomSkillDef& skill : stored)
            storedIds.append(skill.id);
        for (const QString& id : committed)
            QVERIFY2(storedIds.contains(id), qPrintable(id));
        QVERIFY(stored.size() >= committed.size());
    }

    // A Telegram that cannot be reached is said to be so, and the token is neither stored nor called
    // wrong.
    void telegramUnreachableIsNoVerdictOnTheToken()
    {
        m_halvexd->setEnvironment(QStringLiteral("HALVEX_TELEGRAM_API"),
                                  QStringLiteral("http://127.0.0.1:%1").arg(closedLoopbackPort()));
        QVERIFY(startBackend());
        const auto saved = awaitResult<HalvexClient::TokenSaveOutcome>(
            [&](auto c, auto d) { client().storeTelegramToken(QStringLiteral("123456:ABC-def"), c, d); });
        QVERIFY(!saved.saved);
        QCOMPARE(saved.refusal,
                 std::optional<QString>("Telegram could not be reached: check the internet connection and try again"));
        QVERIFY(!awaitResult<std::optional<TelegramStatus>>(
            [&](auto c, auto d) { client().fetchTelegramStatus(c, d); }));
    }

    void telegramLink()
    {
        QVERIFY(startBackend());
        QVERIFY(!awaitResult<bool>(
            [&](auto c, auto d) { client().saveTelegramToken(QStringLiteral("   "), c, d); }));
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { client().saveTelegramToken(QStringLiteral("  123456:ABC-def\t"), c, d); }));
        const QList<FakeBotApi::Request> getMe = m_botApi->requests(QStringLiteral("getMe"));
        QCOMPARE(getMe.size(), 1);
        QCOMPARE(FakeBotApi::tokenOf(getMe.first()), QStringLiteral("123456:ABC-def"));
        auto status = awaitResult<std::optional<TelegramStatus>>(
            [&](auto c, auto d) { client().fetchTelegramStatus(c, d); });
        QVERIFY(status);
        QCOMPARE(status->botUsername, QStringLiteral("halvex_test_bot"));
        QVERIFY(!status->configured);

        auto authorized = awaitResult<std::optional<TelegramAuthResult>>(
            [&](auto c, auto d) { client().authorizeTelegram(c, d); });
        QVERIFY(authorized);
        QVERIFY(!authorized->success);
        QVERIFY(authorized->instructions &&
                authorized->instructions->join(QLatin1Char(' ')).contains(QLatin1String("@halvex_test_bot")));

        m_botApi->addUpdates(QJsonArray{FakeBotApi::messageUpdate(7, 5551234)});
        authorized = awaitResult<std::optional<TelegramAuthResult>>(
            [&](auto c, auto d) { client().authorizeTelegram(c, d); });
        QVERIFY(authorized && authorized->success);
        QVERIFY(authorized->message && authorized->message->contains(QStringLiteral("✅")));
        QCOMPARE(authorized->chatId, std::optional<QString>(QStringLiteral("5551234")));
        QVERIFY(m_botApi->waitForRequests(QStringLiteral("sendMessage"), 1));
        QCOMPARE(m_botApi->requests(QStringLiteral("sendMessage"))
                     .first()
                     .json()
                     .value(QStringLiteral("chat_id"))
                     .toString(),
                 QStringLiteral("5551234"));
        status = awaitResult<std::optional<TelegramStatus>>(
            [&](auto c, auto d) { client().fetchTelegramStatus(c, d); });
        QVERIFY(status && status->configured);
        QCOMPARE(status->chatId, std::optional<QString>(QStringLiteral("5551234")));
        // The backend keeps the chat itself; the desktop's settings are the desktop's business.
        QVERIFY(!Settings().telegramChatId());

        QVERIFY(awaitResult<bool>([&](auto c, auto d) { client().disconnectTelegram(c, d); }));
        status = awaitResult<std::optional<TelegramStatus>>(
            [&](auto c, auto d) { client().fetchTelegramStatus(c, d); });
        QVERIFY(status && !status->configured && !status->chatId);
        QCOMPARE(status->botUsername, QStringLiteral("halvex_test_bot"));
    }

    void environmentFileSeedsTheToken()
    {
        QFile env(m_workDir->filePath(QStringLiteral(".env")));
        QVERIFY(env.open(QIODevice::WriteOnly));
        env.write("PORT=3456\nTELEGRAM_BOT_TOKEN=777:seeded\n");
        env.close();
        QVERIFY(startBackend());
        QVERIFY(m_botApi->waitForRequests(QStringLiteral("getMe"), 1));
        QCOMPARE(FakeBotApi::tokenOf(m_botApi->requests(QStringLiteral("getMe")).first()),
                 QStringLiteral("777:seeded"));
        QTRY_VERIFY([&] {
            const auto status = awaitResult<std::optional<TelegramStatus>>(
                [&](auto c, auto d) { client().fetchTelegramStatus(c, d); });
            return status && status->botUsername == QLatin1String("halvex_test_bot");
        }());
    }

    // What halvexd keeps is private: the data directory 0700 (tightened when it was open), every file
    // in it 0600; a token file others may read is reported once.
    void dataFilesArePrivate()
    {
        const QString directory = m_home->dataDirectory();
        QVERIFY(QDir().mkpath(directory));
        QVERIFY(::chmod(QFile::encodeName(directory).constData(), 0755) == 0);
        const QString stray = directory + QStringLiteral("/notes.txt");
        QFile(stray).open(QIODevice::WriteOnly);
        QVERIFY(::chmod(QFile::encodeName(stray).constData(), 0644) == 0);
        const QString envPath = m_workDir->filePath(QStringLiteral(".env"));
        QFile env(envPath);
        QVERIFY(env.open(QIODevice::WriteOnly));
        env.write("PORT=3456\n");
        env.close();
        QVERIFY(::chmod(QFile::encodeName(envPath).constData(), 0644) == 0);
        QVERIFY(startBackend());
        QVERIFY(awaitResult<bool>(
            [&](auto c, auto d) { client().enableAutomation(QStringLiteral("firewall-status"), c, d); }));
        auto modeOf = [](const QString& path) {
            struct stat info;
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 07777;
        };
        QCOMPARE(modeOf(directory), mode_t(0700));
        for (const QString& name : QDir(directory).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(modeOf(directory + QLatin1Char('/') + name) == 0600, qPrintable(name));
        QVERIFY(QDir(directory).entryList(QDir::Files).contains(QStringLiteral("backend.db-wal")));
        const QString warning = QStringLiteral("is readable by others (mode 644)");
        QCOMPARE(m_halvexd->output().count(warning), 1);
        QCOMPARE(m_halvexd->stop(), 0);
        QVERIFY(::chmod(QFile::encodeName(envPath).constData(), 0600) == 0);
        QVERIFY(startBackend());
        QTRY_COMPARE(m_halvexd->output().count(QLatin1String("listening on")), 2);
        QCOMPARE(m_halvexd->output().count(warning), 1); // from the first run only
    }

    // A damaged database is moved aside and a fresh one serves, instead of empty answers or a start
    // that fails over and over; api/status names the file until the next restart.
    void damagedDatabaseIsMovedAside_data()
    {
        QTest::addColumn<bool>("garbage");
        QTest::newRow("not a database") << true;
        QTest::newRow("overwritten pages") << false;
    }

    void damagedDatabaseIsMovedAside()
    {
        QFETCH(bool, garbage);
        QByteArray damaged;
        if (garbage) {
            damaged = QByteArray(64 * 1024, 'G');
        } else {
            QVERIFY(startBackend());
            for (int i = 0; i < 30; ++i)
                QVERIFY(awaitResult<std::optional<CustomSkillDef>>([&](auto c, auto d) {
                    client().createCustomSkill(QStringLiteral("Skill %1").arg(i), QStringLiteral("⚡"),
                                               QStringLiteral("echo %1\n").arg(i).repeated(60), c, d);
                }));
            QCOMPARE(m_halvexd->stop(), 0);
            QFile file(databasePath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            damaged = file.readAll();
            QVERIFY(damaged.size() > 3 * 4096);
            damaged.replace(4096, damaged.size() - 4096, QByteArray(damaged.size() - 4096, '\x5A'));
        }
        {
            QDir().mkpath(m_home->dataDirectory());
            QFile file(databasePath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(damaged);
        }
        QVERIFY(startBackend());
        auto status = [&]() {
            RawHttpConnection connection(m_halvexd->port());
            connection.send(RawHttpConnection::request("GET", "/api/status", m_halvexd->port()));
            const auto response = connection.readResponse();
            return response ? QJsonDocument::fromJson(response->body).object() : QJsonObject();
        };
        const QString aside = status().value(QStringLiteral("recovered")).toString();
        QVERIFY2(aside.startsWith(QLatin1String("backend.db.corrupt-")), qPrintable(m_halvexd->output()));
        QFile asideFile(m_home->dataDirectory() + QLatin1Char('/') + aside);
        QVERIFY(asideFile.open(QIODevice::ReadOnly));
        QCOMPARE(asideFile.readAll(), damaged);
        QCOMPARE(
            m_halvexd->output().count(QLatin1String("the database was damaged: moved it aside as ") + aside),
            1);
        QVERIFY(awaitResult<std::optional<CustomSkillDef>>([&](auto c, auto d) {
            client().createCustomSkill(QStringLiteral("After"), QStringLiteral("⚡"), QStringLiteral("echo"),
                                       c, d);
        }));
        QCOMPARE(awaitResult<QList<CustomSkillDef>>([&](auto c, auto d) {
                     client().fetchCustomSkills(c, d);
                 }).size(),
                 1);
        QVERIFY(m_halvexd->restart());
        QVERIFY(!status().contains(QStringLiteral("recovered")));
        QCOMPARE(awaitResult<QList<CustomSkillDef>>([&](auto c, auto d) {
                     client().fetchCustomSkills(c, d);
                 }).size(),
                 1);
    }

    // Expired events are removed after halvexd listens, in batches: a large backlog neither delays
    // the first answer nor is left behind.
    void retentionRunsAfterListening()
    {
        constexpr int expired = 100'000;
        {
            auto database = Database::open(databasePath(), nullptr);
            EventStore events(database->connection());
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            QVERIFY(database->inTransaction([&] {
                for (int i = 0; i < expired; ++i) {
                    if (!events.add(QStringLiteral("camera"), QStringLiteral("Old"), std::nullopt,
                                    now - 100 * 86'400'000LL - i * 1000LL))
                        return false;
                }
                return events.add(QStringLiteral("camera"), QStringLiteral("New"), std::nullopt, now);
            }));
        }
        QVERIFY(startBackend());
        auto total = [&]() {
            const auto stats = awaitResult<std::optional<DashboardStats>>(
                [&](auto c, auto d) { client().fetchStats(c, d); });
            return stats ? stats->total : -1;
        };
        const qint64 first = total();
        QVERIFY2(first > 1, qPrintable(QString::number(first))); // answered while the removal goes on
        QTRY_COMPARE_WITH_TIMEOUT(total(), qint64(1), 60000);
    }

    // A client that pipelines requests and never reads its answers: halvexd stops reading it once
    // 256 KB of answers wait, so its memory stays flat, and the request deadline still cuts it off.
    void pipeliningWithoutReadingIsBounded()
    {
        {
            auto database = Database::open(databasePath(), nullptr);
            EventStore events(database->connection());
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            for (int i = 0; i < 200; ++i)
                QVERIFY(events.add(QStringLiteral("camera"), QStringLiteral("App number %1").arg(i),
                                   QStringLiteral("a detail line to make each answer larger"),
                                   now - i * 1000));
        }
        m_halvexd->addArguments({QStringLiteral("--request-timeout"), QStringLiteral("3")});
        QVERIFY(startBackend());
        QVERIFY(awaitResult<bool>([&](auto c, auto d) { client().checkStatus(c, d); }));
        const qint64 baseline = residentKilobytes(m_halvexd->pid());
        QVERIFY(baseline > 0);

        QTcpSocket flood;
        flood.setReadBufferSize(4096); // the test does not drain the answers either
        flood.connectToHost(QHostAddress::LocalHost, m_halvexd->port());
        QVERIFY(flood.waitForConnected(5000));
        // Each of these asks for about 40 KB: 100,000 of them would be 4 GB of answers.
        const QByteArray one = RawHttpConnection::request("GET", "/api/alerts", m_halvexd->port());
        flood.write(one.repeated(100'000));
        qint64 peak = baseline;
        QElapsedTimer elapsed;
        elapsed.start();
        constexpr qint64 allowedGrowthKb = 32 * 1024;
        while (flood.state() == QAbstractSocket::ConnectedState && elapsed.elapsed() < 20'000 &&
               peak - baseline < allowedGrowthKb) {
            QTest::qWait(50);
            peak = qMax(peak, residentKilobytes(m_halvexd->pid()));
        }
        const QString measured = QStringLiteral("RSS went from %1 kB to %2 kB").arg(baseline).arg(peak);
        qInfo("%s", qPrintable(measured));
        QVERIFY2(peak - baseline < allowedGrowthKb, qPrintable(measured));
        QVERIFY2(flood.state() != QAbstractSocket::ConnectedState, "the stalled client was never cut off");
        QVERIFY(awaitResult<bool>([&](auto c, auto d) { client().checkStatus(c, d); }));
    }

    // Idle connections at the cap give way: the one idle for longest is closed for a client with a
    // request.
    void idleConnectionsGiveWayToANewClient()
    {
        QVERIFY(startBackend());
        std::vector<std::unique_ptr<RawHttpConnection>> idle;
        for (int i = 0; i < 64; ++i) {
            idle.push_back(std::make_unique<RawHttpConnection>(m_halvexd->port()));
            QVERIFY(idle.back()->isConnected());
            if (i == 0) { // a kept-alive connection that has had its answer
                idle.back()->send(RawHttpConnection::request("GET", "/api/status", m_halvexd->port()));
                QVERIFY(idle.back()->readResponse());
            }
        }
        // All 64 are taken in by the server before the newcomer arrives.
        QTest::qWait(0);
        RawHttpConnection newcomer(m_halvexd->port());
        QElapsedTimer elapsed;
        elapsed.start();
        newcomer.send(RawHttpConnection::request("GET", "/api/status", m_halvexd->port()));
        const auto response = newcomer.readResponse(5000);
        QVERIFY(response);
        QCOMPARE(response->status, 200);
        QVERIFY2(elapsed.elapsed() < 500, qPrintable(QString::number(elapsed.elapsed())));
        QVERIFY(idle.front()->waitForClose(2000));
    }

    void securityRules_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::newRow("forged host")
            << QByteArray("GET /api/status HTTP/1.1\r\nHost: halvex.attacker.example:PORT\r\n\r\n") << 421;
        QTest::newRow("origin") << QByteArray("GET /api/status HTTP/1.1\r\nHost: localhost:PORT\r\nOrigin: "
                                              "http://localhost:PORT\r\n\r\n")
                                << 403;
        QTest::newRow("fetch metadata")
            << QByteArray(
                   "POST /api/command HTTP/1.1\r\nHost: 127.0.0.1:PORT\r\nSec-Fetch-Site: cross-site\r\n\r\n")
            << 403;
        QTest::newRow("text body")
            << QByteArray("POST /api/command HTTP/1.1\r\nHost: 127.0.0.1:PORT\r\nContent-Type: "
                          "text/plain\r\nContent-Length: 22\r\n\r\n{\"command\":\"uptime\"}")
            << 415;
        QTest::newRow("oversized body")
            << QByteArray("POST /api/command HTTP/1.1\r\nHost: 127.0.0.1:PORT\r\nContent-Type: "
                          "application/json\r\nContent-Length: 262145\r\n\r\n")
            << 413;
        QTest::newRow("no JSON object")
            << QByteArray("POST /api/command HTTP/1.1\r\nHost: 127.0.0.1:PORT\r\nContent-Type: "
                          "application/json\r\nContent-Length: 2\r\n\r\n[]")
            << 400;
        QTest::newRow("wrong method")
            << QByteArray("DELETE /api/status HTTP/1.1\r\nHost: 127.0.0.1:PORT\r\n\r\n") << 405;
        QTest::newRow("unknown path")
            << QByteArray("GET /api/nothing HTTP/1.1\r\nHost: 127.0.0.1:PORT\r\n\r\n") << 404;
    }

    void securityRules()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QVERIFY(startBackend());
        RawHttpConnection connection(m_halvexd->port());
        connection.send(request.replace("PORT", QByteArray::number(m_halvexd->port())));
        const auto response = connection.readResponse();
        QVERIFY(response);
        QCOMPARE(response->status, status);
        QVERIFY(response->body.contains("\"success\":false"));
        QVERIFY(response->body.contains("\"error\":"));
    }

    void slowClientIsCutOff()
    {
        m_halvexd->addArguments({QStringLiteral("--request-timeout"), QStringLiteral("0.5")});
        QVERIFY(startBackend());
        RawHttpConnection connection(m_halvexd->port());
        connection.send("GET /api/status HTTP/1.1\r\nHost: 127.0.0.1:");
        QVERIFY(connection.waitForClose(5000));
        QVERIFY(!connection.readResponse(100));
    }

    // A client of this user on an IPv6 socket connected to the IPv4-mapped loopback address is served:
    // its socket is not in the IPv4 table, but the kernel's lookup finds it.
    void ipv6MappedClientIsServed()
    {
        QVERIFY(startBackend());
        const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(fd >= 0);
        const timeval limit{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in6 server{};
        server.sin6_family = AF_INET6;
        server.sin6_port = htons(m_halvexd->port());
        QCOMPARE(::inet_pton(AF_INET6, "::ffff:127.0.0.1", &server.sin6_addr), 1);
        QCOMPARE(::connect(fd, reinterpret_cast<const sockaddr*>(&server), sizeof server), 0);
        const QByteArray request =
            RawHttpConnection::request("GET", "/api/status", m_halvexd->port(), {}, "Connection: close\r\n");
        QCOMPARE(::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL),
                 ssize_t(request.size()));
        QByteArray answer;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            answer.append(buffer, got);
        ::close(fd);
        QVERIFY2(answer.startsWith("HTTP/1.1 200"), answer.constData());
    }

    // A program of this user in another mount namespace (as a sandboxed application is) may run the
    // built-in skills but no script: not as a command, not as a script skill, not as an automation.
    void sandboxedCallerMayNotRunScripts_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("built-in skill")
            << QByteArray("/api/command") << QByteArray(R"({"command":"memory-usage"})") << 200
            << QByteArray("Memory:");
        QTest::newRow("script") << QByteArray("/api/command")
                                << QByteArray(R"({"command":"echo ran > /tmp/halvex-sandbox-canary"})") << 403
                                << QByteArray("outside a sandbox");
        QTest::newRow("new script skill")
            << QByteArray("/api/custom-skills") << QByteArray(R"({"name":"x","script":"echo x"})") << 403
            << QByteArray("another mount namespace");
        QTest::newRow("automation of a script skill")
            << QByteArray("/api/automations") << QByteArray(R"({"skillId":"custom-000000000001"})") << 403
            << QByteArray("outside a sandbox");
    }

    void sandboxedCallerMayNotRunScripts()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QByteArray, answer);
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        if (::geteuid() != 0 || unshare.isEmpty())
            QSKIP("needs root and unshare to start a client in another mount namespace");
        QVERIFY(startBackend());
        QTemporaryDir dir;
        const QString requestFile = dir.filePath(QStringLiteral("request"));
        {
            QFile file(requestFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(
                RawHttpConnection::request("POST", path, m_halvexd->port(), body, "Connection: close\r\n"));
        }
        const QString script = QStringLiteral("exec 3<>/dev/tcp/127.0.0.1/%1 || exit 9; cat '%2' >&3; "
                                              "timeout 15 cat <&3")
                                   .arg(m_halvexd->port())
                                   .arg(requestFile);
        QProcess client;
        client.start(unshare,
                     {QStringLiteral("-m"), QStringLiteral("/bin/bash"), QStringLiteral("-c"), script});
        QVERIFY(client.waitForFinished(20000));
        const QByteArray reply = client.readAllStandardOutput();
        QVERIFY2(reply.startsWith("HTTP/1.1 " + QByteArray::number(status)), reply.constData());
        QVERIFY2(reply.contains(answer), reply.constData());
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/halvex-sandbox-canary")));
    }

    void otherUsersConnectionIsRefused()
    {
        const QString runuser = QStandardPaths::findExecutable(
            QStringLiteral("runuser"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
        if (::geteuid() != 0 || runuser.isEmpty())
            QSKIP("needs root and runuser to connect as another user");
        QVERIFY(startBackend());
        const QString port = QString::number(m_halvexd->port());
        const QString script = QStringLiteral("exec 3<>/dev/tcp/127.0.0.1/%1 || exit 9; "
                                              "printf 'GET /api/status HTTP/1.1\\r\\nHost: "
                                              "127.0.0.1:%1\\r\\nConnection: close\\r\\n\\r\\n' >&3; "
                                              "timeout 5 cat <&3")
                                   .arg(port);
        auto fetchAs = [&](const QStringList& prefix) {
            QProcess process;
            process.start(prefix.first(), prefix.mid(1) + QStringList{QStringLiteral("/bin/bash"),
                                                                      QStringLiteral("-c"), script});
            process.waitForFinished(10000);
            return QString::fromUtf8(process.readAllStandardOutput());
        };
        QVERIFY(fetchAs({QStringLiteral("/usr/bin/env")}).startsWith(QLatin1String("HTTP/1.1 200")));
        // A polling client of another user: every attempt refused, one line told for the minute.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const QString stranger =
                fetchAs({runuser, QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--")});
            QVERIFY2(stranger.isEmpty(), qPrintable(stranger));
        }
        QTRY_VERIFY(m_halvexd->output().contains(
            QLatin1String("refused a connection from another user's socket (uid ")));
        QTest::qWait(200);
        QCOMPARE(m_halvexd->output().count(QLatin1String("refused a connection")), 1);
    }
};

QTEST_GUILESS_MAIN(HalvexdTest)
#include "tst_halvexd.moc"
