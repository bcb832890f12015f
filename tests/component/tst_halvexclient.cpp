#include "backend/BackendReplies.h"
#include "backend/HalvexClient.h"
#include "fakes/FakeHttpServer.h"
#include "platform/Settings.h"
#include "support/Awaited.h"
#include "support/LoopbackPort.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTest>
#include <QTimer>

using Reply = FakeHttpServer::Reply;

namespace {

QJsonObject object(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object();
}

const CustomSkillDef sampleSkill{"sk 1", "Disk check", "💾", "df -h\n"};

// Starts the operation named `name` with arguments typical of its callers; the result is ignored.
void start(HalvexClient& client, const QString& name, QObject* context)
{
    auto ignore = [](auto) {};
    if (name == "checkStatus")
        client.checkStatus(context, ignore);
    else if (name == "fetchAlerts")
        client.fetchAlerts(context, ignore);
    else if (name == "fetchStats")
        client.fetchStats(context, ignore);
    else if (name == "executeCommand")
        client.executeCommand("keylogger-detector", context, ignore);
    else if (name == "fetchXMTPStatus")
        client.fetchXMTPStatus(context, ignore);
    else if (name == "fetchTelegramStatus")
        client.fetchTelegramStatus(context, ignore);
    else if (name == "saveTelegramToken")
        client.saveTelegramToken("123:abc", context, ignore);
    else if (name == "authorizeTelegram")
        client.authorizeTelegram(context, ignore);
    else if (name == "disconnectTelegram")
        client.disconnectTelegram(context, ignore);
    else if (name == "fetchAutomations")
        client.fetchAutomations(context, ignore);
    else if (name == "enableAutomation")
        client.enableAutomation("port-scan", context, ignore);
    else if (name == "disableAutomation")
        client.disableAutomation("port-scan", context, ignore);
    else if (name == "fetchCustomSkills")
        client.fetchCustomSkills(context, ignore);
    else if (name == "createCustomSkill")
        client.createCustomSkill(sampleSkill.name, sampleSkill.emoji, sampleSkill.script, context, ignore);
    else if (name == "updateCustomSkill")
        client.updateCustomSkill(sampleSkill, context, ignore);
    else if (name == "deleteCustomSkill")
        client.deleteCustomSkill("my skill", context, ignore);
    else if (name == "deleteCustomSkill with delimiters")
        client.deleteCustomSkill("a/b?c", context, ignore);
    else if (name == "sendChatMessage")
        client.sendChatMessage("hello there", context, ignore);
    else
        qFatal("unknown operation");
}

// Starts an operation whose result is a flag and waits for it; nothing when no result came.
std::optional<bool> statusResult(HalvexClient& client, const QString& name)
{
    Awaited<bool> result;
    if (name == "enableAutomation")
        client.enableAutomation("port-scan", result.context(), result.callback());
    else if (name == "disableAutomation")
        client.disableAutomation("port-scan", result.context(), result.callback());
    else if (name == "updateCustomSkill")
        client.updateCustomSkill(sampleSkill, result.context(), result.callback());
    else if (name == "deleteCustomSkill")
        client.deleteCustomSkill("s1", result.context(), result.callback());
    else if (name == "checkStatus")
        client.checkStatus(result.context(), result.callback());
    else if (name == "saveTelegramToken")
        client.saveTelegramToken("t", result.context(), result.callback());
    else if (name == "disconnectTelegram")
        client.disconnectTelegram(result.context(), result.callback());
    else
        qFatal("unknown operation");
    if (!result.wait())
        return std::nullopt;
    return result.value();
}

} // namespace

class HalvexClientTest : public QObject
{
    Q_OBJECT
    TemporaryHome m_home;
    FakeHttpServer m_server;

    void pointAt(const QString& base) { Settings().setValue(SettingsKey::serverURL, base); }
    void answer(int status, const QByteArray& body) { m_server.setReply(Reply{status, body}); }

private Q_SLOTS:
    void init()
    {
        pointAt(m_server.baseUrl());
        m_server.setReply(Reply{});
        m_server.clearRequests();
    }

    void requestShapes_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("body"); // empty: no body and no content type

        QTest::newRow("checkStatus") << "checkStatus" << QByteArray("GET") << QByteArray("/api/status")
                                     << QByteArray();
        QTest::newRow("fetchAlerts") << "fetchAlerts" << QByteArray("GET") << QByteArray("/api/alerts")
                                     << QByteArray();
        QTest::newRow("fetchStats") << "fetchStats" << QByteArray("GET") << QByteArray("/api/stats")
                                    << QByteArray();
        QTest::newRow("executeCommand")
            << "executeCommand" << QByteArray("POST") << QByteArray("/api/command")
            << QByteArray(R"({"command":"keylogger-detector"})");
        QTest::newRow("fetchXMTPStatus")
            << "fetchXMTPStatus" << QByteArray("GET") << QByteArray("/api/xmtp-address") << QByteArray();
        QTest::newRow("fetchTelegramStatus") << "fetchTelegramStatus" << QByteArray("GET")
                                             << QByteArray("/api/config/bot-info") << QByteArray();
        QTest::newRow("saveTelegramToken")
            << "saveTelegramToken" << QByteArray("POST") << QByteArray("/api/config/chat-id")
            << QByteArray(R"({"token":"123:abc"})");
        QTest::newRow("authorizeTelegram")
            << "authorizeTelegram" << QByteArray("POST") << QByteArray("/api/config/authorize")
            << QByteArray(R"({"chatId":"auto"})");
        QTest::newRow("disconnectTelegram")
            << "disconnectTelegram" << QByteArray("POST") << QByteArray("/api/setup")
            << QByteArray(R"({"telegramChatId":""})");
        QTest::newRow("fetchAutomations")
            << "fetchAutomations" << QByteArray("GET") << QByteArray("/api/automations") << QByteArray();
        QTest::newRow("enableAutomation")
            << "enableAutomation" << QByteArray("POST") << QByteArray("/api/automations")
            << QByteArray(R"({"skillId":"port-scan"})");
        QTest::newRow("disableAutomation") << "disableAutomation" << QByteArray("DELETE")
                                           << QByteArray("/api/automations/port-scan") << QByteArray();
        QTest::newRow("fetchCustomSkills")
            << "fetchCustomSkills" << QByteArray("GET") << QByteArray("/api/custom-skills") << QByteArray();
        QTest::newRow("createCustomSkill")
            << "createCustomSkill" << QByteArray("POST") << QByteArray("/api/custom-skills")
            << QByteArray(R"({"name":"Disk check","emoji":"💾","script":"df -h\n"})");
        QTest::newRow("updateCustomSkill")
            << "updateCustomSkill" << QByteArray("PUT") << QByteArray("/api/custom-skills/sk%201")
            << QByteArray(R"({"name":"Disk check","emoji":"💾","script":"df -h\n"})");
        QTest::newRow("deleteCustomSkill, id with a space")
            << "deleteCustomSkill" << QByteArray("DELETE") << QByteArray("/api/custom-skills/my%20skill")
            << QByteArray();
        QTest::newRow("deleteCustomSkill, id with delimiters")
            << "deleteCustomSkill with delimiters" << QByteArray("DELETE")
            << QByteArray("/api/custom-skills/a%2Fb%3Fc") << QByteArray();
        QTest::newRow("sendChatMessage")
            << "sendChatMessage" << QByteArray("POST") << QByteArray("/api/chat")
            << QByteArray(R"({"message":"hello there","userId":"halvex-desktop"})");
    }

    void requestShapes()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, body);
        HalvexClient client;
        QObject context;
        start(client, operation, &context);
        QVERIFY(m_server.waitForRequests(1));
        const FakeHttpServer::Request& request = m_server.requests().first();
        QCOMPARE(request.method, method);
        QCOMPARE(request.target, target);
        if (body.isEmpty()) {
            QVERIFY(request.body.isEmpty());
            QVERIFY(!request.headers.contains("content-type"));
        } else {
            QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
            const QJsonObject sent = request.json();
            QCOMPARE(sent, object(body));
            for (const QJsonValue& value : sent)
                QVERIFY(value.isString());
        }
    }

    void chatTagIsConstant()
    {
        HalvexClient first, second;
        QObject context;
        first.sendChatMessage("a", &context, [](auto) {});
        second.sendChatMessage("b", &context, [](auto) {});
        QVERIFY(m_server.waitForRequests(2));
        QCOMPARE(m_server.requests().at(0).json().value("userId"),
                 m_server.requests().at(1).json().value("userId"));
    }

    void apiURLFollowsTheSetting_data()
    {
        QTest::addColumn<QString>("setting"); // "-": absent
        QTest::addColumn<QString>("expected");
        QTest::newRow("absent") << "-"
                                << "http://127.0.0.1:3456";
        QTest::newRow("not a URL") << "not a url"
                                   << "http://127.0.0.1:3456";
        QTest::newRow("no scheme") << "localhost:4000"
                                   << "http://127.0.0.1:3456";
        QTest::newRow("other port") << "http://127.0.0.1:4000"
                                    << "http://127.0.0.1:4000";
    }

    void apiURLFollowsTheSetting()
    {
        QFETCH(QString, setting);
        QFETCH(QString, expected);
        if (setting == "-")
            Settings().remove(SettingsKey::serverURL);
        else
            pointAt(setting);
        QCOMPARE(HalvexClient().apiURL(), QUrl(expected));
    }

    void baseIsReadForEveryRequest()
    {
        FakeHttpServer other;
        HalvexClient client;
        Awaited<bool> first, second;
        client.checkStatus(first.context(), first.callback());
        pointAt(other.baseUrl() + "/prefix/");
        client.checkStatus(second.context(), second.callback());
        QVERIFY(first.wait() && second.wait());
        QCOMPARE(m_server.requests().size(), 1);
        QCOMPARE(other.requests().size(), 1);
        QCOMPARE(other.requests().first().target, QByteArray("/prefix/api/status"));
    }

    void onlyStatus200Succeeds_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("expected");
        for (const char* operation :
             {"enableAutomation", "disableAutomation", "updateCustomSkill", "deleteCustomSkill",
              "checkStatus", "saveTelegramToken", "disconnectTelegram"}) {
            for (int status : {200, 201, 204, 500})
                QTest::addRow("%s %d", operation, status) << operation << status << (status == 200);
        }
    }

    void onlyStatus200Succeeds()
    {
        QFETCH(QString, operation);
        QFETCH(int, status);
        QFETCH(bool, expected);
        answer(status, R"({"success":true})");
        HalvexClient client;
        QCOMPARE(statusResult(client, operation), std::optional<bool>(expected));
    }

    void successOfTheEnvelope_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("expected");
        QTest::newRow("success") << QByteArray(R"({"success":true,"message":"saved"})") << true;
        QTest::newRow("refused") << QByteArray(R"({"success":false,"message":"bad token"})") << false;
        QTest::newRow("no success key") << QByteArray(R"({"message":"saved"})") << false;
        QTest::newRow("not JSON") << QByteArray("saved") << false;
    }

    void successOfTheEnvelope()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, expected);
        answer(200, body);
        HalvexClient client;
        QCOMPARE(statusResult(client, "saveTelegramToken"), std::optional<bool>(expected));
        QCOMPARE(statusResult(client, "disconnectTelegram"), std::optional<bool>(expected));
    }

    void decodesRecords()
    {
        m_server.setHandler([](const FakeHttpServer::Request& request) {
            const QByteArray path = request.path();
            if (path == "/api/alerts")
                return Reply{
                    200, R"([{"type":"camera","app":"Zoom","path":"/A","timestamp":"t","details":null}])"};
            if (path == "/api/stats")
                return Reply{200,
                             R"({"total":4,"today":2,"last24h":3,"byType":{"camera":4},"byApp":{"Zoom":4}})"};
            if (path == "/api/xmtp-address")
                return Reply{200, R"({"address":"0xabc","running":true})"};
            if (path == "/api/config/bot-info")
                return Reply{200, R"({"botUsername":"halvex_bot","chatId":"42","configured":true})"};
            if (path == "/api/config/authorize")
                return Reply{200, R"({"success":false,"message":"waiting","instructions":["Open the bot"]})"};
            if (path == "/api/custom-skills")
                return Reply{200, R"({"id":"new-1","name":"Disk check","emoji":"💾","script":"df -h\n"})"};
            return Reply{404, "{}"};
        });
        HalvexClient client;
        Awaited<QList<SecurityAlert>> alerts;
        Awaited<std::optional<DashboardStats>> stats;
        Awaited<std::optional<XMTPStatus>> xmtp;
        Awaited<std::optional<TelegramStatus>> telegram;
        Awaited<std::optional<TelegramAuthResult>> auth;
        Awaited<std::optional<CustomSkillDef>> created;
        client.fetchAlerts(alerts.context(), alerts.callback());
        client.fetchStats(stats.context(), stats.callback());
        client.fetchXMTPStatus(xmtp.context(), xmtp.callback());
        client.fetchTelegramStatus(telegram.context(), telegram.callback());
        client.authorizeTelegram(auth.context(), auth.callback());
        client.createCustomSkill("Disk check", "💾", "df -h\n", created.context(), created.callback());
        QVERIFY(alerts.wait() && stats.wait() && xmtp.wait() && telegram.wait() && auth.wait() &&
                created.wait());

        QCOMPARE(alerts.value(), (QList<SecurityAlert>{{"camera", "Zoom", "/A", "t", std::nullopt}}));
        QCOMPARE(stats.value(), (DashboardStats{4, 2, 3, {{"camera", 4}}, {{"Zoom", 4}}}));
        QCOMPARE(xmtp.value(), (XMTPStatus{QStringLiteral("0xabc"), true}));
        QCOMPARE(telegram.value(), (TelegramStatus{"halvex_bot", QStringLiteral("42"), true}));
        QCOMPARE(auth.value(), (TelegramAuthResult{false, QStringLiteral("waiting"), std::nullopt,
                                                   QStringList{"Open the bot"}}));
        QCOMPARE(created.value(), (CustomSkillDef{"new-1", "Disk check", "💾", "df -h\n"}));
    }

    void automationsListedWhateverTheSuccessFlag()
    {
        answer(200, R"({"success":false,"automations":[
            {"id":"a1","skillId":"port-scan","schedule":"1h","enabled":true},
            {"id":"a2","skillId":"disk-usage","name":"Disk","schedule":"1d","enabled":false}]})");
        HalvexClient client;
        Awaited<QList<Automation>> automations;
        client.fetchAutomations(automations.context(), automations.callback());
        QVERIFY(automations.wait());
        QCOMPARE(automations.value().size(), 2);
        QCOMPARE(automations.value().at(1).name, QStringLiteral("Disk"));
        QVERIFY(!automations.value().at(1).enabled);
    }

    void listsFailWhole_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("skills");
        QTest::newRow("bare array") << QByteArray(R"([{"id":"s1","name":"N","emoji":"x","script":"ls"}])")
                                    << 1;
        QTest::newRow("array in an envelope")
            << QByteArray(R"({"success":true,"skills":[{"id":"s1","name":"N","emoji":"x","script":"ls"}]})")
            << 0;
        QTest::newRow("one element without script")
            << QByteArray(
                   R"([{"id":"s1","name":"N","emoji":"x","script":"ls"},{"id":"s2","name":"N","emoji":"x"}])")
            << 0;
    }

    void listsFailWhole()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, skills);
        answer(200, body);
        HalvexClient client;
        Awaited<QList<CustomSkillDef>> result;
        client.fetchCustomSkills(result.context(), result.callback());
        QVERIFY(result.wait());
        QCOMPARE(result.value().size(), skills);
    }

    // The two operations whose result is text: the value they give and the one line they print.
    void textResults_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected"); // "-": nothing
        QTest::addColumn<QString>("printed");  // the start of the one diagnostic line; empty: none
        const QString unreadable = "Error: The data couldn't be read";
        QTest::newRow("command result")
            << "command" << 200 << QByteArray(R"({"success":true,"result":"3 ports open"})") << "3 ports open"
            << "";
        QTest::newRow("command without result despite an error text")
            << "command" << 200 << QByteArray(R"({"success":true,"error":"boom"})") << "-"
            << "";
        QTest::newRow("command status 500")
            << "command" << 500 << QByteArray(R"({"success":true,"result":"x"})") << "-"
            << "";
        QTest::newRow("command status 201")
            << "command" << 201 << QByteArray(R"({"success":true,"result":"x"})") << "-"
            << "";
        QTest::newRow("command not JSON") << "command" << 200 << QByteArray("<html>") << unreadable
                                          << "Error executing command: The data couldn't be read";
        QTest::newRow("command without success")
            << "command" << 200 << QByteArray(R"({"result":"x"})") << unreadable
            << "Error executing command: The data couldn't be read";
        QTest::newRow("chat response")
            << "chat" << 200 << QByteArray(R"({"success":true,"response":"Hi!"})") << "Hi!"
            << "";
        QTest::newRow("chat without response")
            << "chat" << 200 << QByteArray(R"({"success":false,"error":"x"})") << "-"
            << "";
        QTest::newRow("chat status 500") << "chat" << 500 << QByteArray(R"({"success":true,"response":"x"})")
                                         << "Error: Could not connect to server"
                                         << "";
        QTest::newRow("chat status 204")
            << "chat" << 204 << QByteArray() << "Error: Could not connect to server"
            << "";
        QTest::newRow("chat wrong type") << "chat" << 200 << QByteArray(R"({"success":"yes"})") << unreadable
                                         << "Error sending chat message: The data couldn't be read";
    }

    void textResults()
    {
        QFETCH(QString, operation);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        QFETCH(QString, printed);
        answer(status, body);
        HalvexClient client;
        Awaited<std::optional<QString>> result;
        QStringList lines;
        {
            CapturedStdout output;
            if (operation == "command")
                client.executeCommand("port-scan", result.context(), result.callback());
            else
                client.sendChatMessage("hi", result.context(), result.callback());
            result.wait();
            lines = output.text().split('\n', Qt::SkipEmptyParts);
        }
        QVERIFY(result.hasValue());
        if (expected == "-")
            QVERIFY(!result.value());
        else
            QVERIFY2(result.value().value_or("").startsWith(expected),
                     qPrintable(result.value().value_or("")));
        QCOMPARE(lines.size(), printed.isEmpty() ? 0 : 1);
        if (!printed.isEmpty())
            QVERIFY2(lines.first().startsWith(printed), qPrintable(lines.first()));
    }

    void decodingFailuresArePrinted()
    {
        answer(200, R"({"total":"many"})");
        HalvexClient client;
        Awaited<std::optional<DashboardStats>> stats;
        Awaited<QList<SecurityAlert>> alerts;
        Awaited<std::optional<TelegramStatus>> telegram;
        QStringList lines;
        bool answered = false;
        {
            CapturedStdout output;
            client.fetchStats(stats.context(), stats.callback());
            client.fetchAlerts(alerts.context(), alerts.callback());
            client.fetchTelegramStatus(telegram.context(), telegram.callback());
            answered =
                QTest::qWaitFor([&] { return stats.hasValue() && alerts.hasValue() && telegram.hasValue(); });
            lines = output.text().split('\n', Qt::SkipEmptyParts);
        }
        QVERIFY(answered);
        QVERIFY(stats.hasValue() && alerts.hasValue() && telegram.hasValue());
        QVERIFY(!stats.value() && alerts.value().isEmpty() && !telegram.value());
        lines.sort();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.at(0).startsWith("Error fetching alerts: The data couldn't be read"),
                 qPrintable(lines.at(0)));
        QVERIFY2(lines.at(1).startsWith("Error fetching stats: The data couldn't be read"),
                 qPrintable(lines.at(1)));
    }

    void nonOkStatusIsNeverPrinted()
    {
        answer(500, "{}");
        HalvexClient client;
        Awaited<bool> status;
        Awaited<std::optional<DashboardStats>> stats;
        Awaited<QList<SecurityAlert>> alerts;
        QStringList lines;
        bool answered = false;
        {
            CapturedStdout output;
            client.checkStatus(status.context(), status.callback());
            client.fetchStats(stats.context(), stats.callback());
            client.fetchAlerts(alerts.context(), alerts.callback());
            answered =
                QTest::qWaitFor([&] { return status.hasValue() && stats.hasValue() && alerts.hasValue(); });
            lines = output.text().split('\n', Qt::SkipEmptyParts);
        }
        QVERIFY(answered);
        QVERIFY(status.hasValue() && stats.hasValue() && alerts.hasValue());
        QVERIFY(!status.value() && !stats.value() && alerts.value().isEmpty());
        QCOMPARE(lines, QStringList());
    }

    void connectionRefused()
    {
        pointAt(QStringLiteral("http://127.0.0.1:%1").arg(closedLoopbackPort()));
        HalvexClient client;
        Awaited<bool> status, saved, enabled, deleted;
        Awaited<QList<SecurityAlert>> alerts;
        Awaited<std::optional<DashboardStats>> stats;
        Awaited<std::optional<QString>> command, chat;
        Awaited<std::optional<TelegramStatus>> telegram;
        Awaited<QList<Automation>> automations;
        Awaited<QList<CustomSkillDef>> skills;
        QStringList lines;
        bool answered = false;
        {
            CapturedStdout output;
            client.checkStatus(status.context(), status.callback());
            client.fetchAlerts(alerts.context(), alerts.callback());
            client.fetchStats(stats.context(), stats.callback());
            client.executeCommand("port-scan", command.context(), command.callback());
            client.sendChatMessage("hi", chat.context(), chat.callback());
            client.fetchTelegramStatus(telegram.context(), telegram.callback());
            client.saveTelegramToken("t", saved.context(), saved.callback());
            client.fetchAutomations(automations.context(), automations.callback());
            client.enableAutomation("port-scan", enabled.context(), enabled.callback());
            client.fetchCustomSkills(skills.context(), skills.callback());
            client.deleteCustomSkill("s1", deleted.context(), deleted.callback());
            answered = QTest::qWaitFor([&] {
                return status.hasValue() && alerts.hasValue() && stats.hasValue() && command.hasValue() &&
                       chat.hasValue() && telegram.hasValue() && saved.hasValue() && automations.hasValue() &&
                       enabled.hasValue() && skills.hasValue() && deleted.hasValue();
            });
            lines = output.text().split('\n', Qt::SkipEmptyParts);
        }
        QVERIFY(answered);
        QVERIFY(status.hasValue() && !status.value());
        QVERIFY(alerts.hasValue() && alerts.value().isEmpty());
        QVERIFY(stats.hasValue() && !stats.value());
        QVERIFY(command.hasValue() && chat.hasValue());
        QCOMPARE(command.value(), QStringLiteral("Error: Connection refused"));
        QCOMPARE(chat.value(), QStringLiteral("Error: Connection refused"));
        QVERIFY(telegram.hasValue() && !telegram.value());
        QVERIFY(saved.hasValue() && !saved.value());
        QVERIFY(automations.hasValue() && automations.value().isEmpty());
        QVERIFY(enabled.hasValue() && !enabled.value());
        QVERIFY(skills.hasValue() && skills.value().isEmpty());
        QVERIFY(deleted.hasValue() && !deleted.value());

        lines.sort();
        QCOMPARE(lines, (QStringList{"Error executing command: Connection refused",
                                     "Error fetching alerts: Connection refused",
                                     "Error fetching stats: Connection refused",
                                     "Error sending chat message: Connection refused",
                                     "Status check failed: Connection refused"}));
    }

    void silentServerTimesOut()
    {
        m_server.setReply(Reply{200, "{}", "application/json", true});
        HalvexClient client(HalvexClient::Timeouts{300, 300});
        Awaited<std::optional<DashboardStats>> stats;
        Awaited<std::optional<QString>> command;
        QStringList lines;
        bool answered = false;
        {
            CapturedStdout output;
            client.fetchStats(stats.context(), stats.callback());
            client.executeCommand("port-scan", command.context(), command.callback());
            answered = QTest::qWaitFor([&] { return stats.hasValue() && command.hasValue(); });
            lines = output.text().split('\n', Qt::SkipEmptyParts);
        }
        QVERIFY(answered);
        QVERIFY(stats.hasValue() && !stats.value());
        QVERIFY(command.hasValue());
        QCOMPARE(command.value(), QStringLiteral("Error: The request timed out."));
        lines.sort();
        QCOMPARE(lines, (QStringList{"Error executing command: The request timed out.",
                                     "Error fetching stats: The request timed out."}));
    }

    void commandHasItsOwnShorterTimeout()
    {
        m_server.setReply(Reply{200, "{}", "application/json", true});
        HalvexClient client(HalvexClient::Timeouts{600000, 200});
        Awaited<std::optional<DashboardStats>> stats;
        Awaited<std::optional<QString>> command;
        client.fetchStats(stats.context(), stats.callback());
        client.executeCommand("port-scan", command.context(), command.callback());
        QVERIFY(command.wait());
        QCOMPARE(command.value(), QStringLiteral("Error: The request timed out."));
        // The GET started at the same moment still waits under the general timeout.
        QVERIFY(!stats.hasValue());
    }

    void callerIsNeverBlocked()
    {
        m_server.setReply(Reply{200, "{}", "application/json", true});
        HalvexClient client(HalvexClient::Timeouts{1500, 1500});
        Awaited<bool> status;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(10);
        client.checkStatus(status.context(), status.callback());
        QVERIFY(!status.hasValue());
        QVERIFY(m_server.waitForRequests(1));
        QTRY_VERIFY(ticks >= 5);
        QVERIFY(!status.hasValue());
        QVERIFY(status.wait());
        QVERIFY(!status.value());
    }

    void resultDroppedWhenContextIsGone()
    {
        answer(200, R"({"success":true,"result":"done"})");
        HalvexClient client;
        int calls = 0;
        auto* context = new QObject;
        client.executeCommand("port-scan", context, [&calls](std::optional<QString>) { ++calls; });
        delete context;
        Awaited<std::optional<QString>> later;
        QVERIFY(m_server.waitForRequests(1));
        client.executeCommand("port-scan", later.context(), later.callback());
        QVERIFY(later.wait());
        QTest::qWait(50);
        QCOMPARE(calls, 0);
    }

    void unsendableIdsFailWithoutARequest_data()
    {
        QTest::addColumn<QString>("id");
        QTest::newRow("empty") << "";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
    }

    void unsendableIdsFailWithoutARequest()
    {
        QFETCH(QString, id);
        HalvexClient client;
        Awaited<bool> deleted, disabled, updated;
        client.deleteCustomSkill(id, deleted.context(), deleted.callback());
        QVERIFY(!deleted.hasValue());
        client.disableAutomation(id, disabled.context(), disabled.callback());
        client.updateCustomSkill(CustomSkillDef{id, "n", "e", "s"}, updated.context(), updated.callback());
        QVERIFY(deleted.wait() && disabled.wait() && updated.wait());
        QVERIFY(!deleted.value() && !disabled.value() && !updated.value());
        QCOMPARE(m_server.requests().size(), 0);
    }
};

QTEST_GUILESS_MAIN(HalvexClientTest)
#include "tst_halvexclient.moc"
