#include "backend/BackendRecords.h"
#include "backend/BackendReplies.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

QJsonValue parse(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

// Decodes `json` as the record named `kind`; true when it decodes, with the failure reason otherwise.
bool decodes(const QString& kind, const QJsonValue& value, QString* reason)
{
    if (kind == "DashboardStats")
        return DashboardStats::fromJson(value, reason).has_value();
    if (kind == "XMTPStatus")
        return XMTPStatus::fromJson(value, reason).has_value();
    if (kind == "TelegramStatus")
        return TelegramStatus::fromJson(value, reason).has_value();
    if (kind == "Automation")
        return Automation::fromJson(value, reason).has_value();
    if (kind == "CustomSkillDef")
        return CustomSkillDef::fromJson(value, reason).has_value();
    if (kind == "CustomSkillDefs")
        return CustomSkillDefs::fromJson(value, reason).has_value();
    if (kind == "CommandResponse")
        return CommandResponse::fromJson(value, reason).has_value();
    if (kind == "ChatResponse")
        return ChatResponse::fromJson(value, reason).has_value();
    if (kind == "GenericResponse")
        return GenericResponse::fromJson(value, reason).has_value();
    if (kind == "AutomationsResponse")
        return AutomationsResponse::fromJson(value, reason).has_value();
    if (kind == "TelegramAuthResult")
        return TelegramAuthResult::fromJson(value, reason).has_value();
    qFatal("unknown record kind");
}

} // namespace

class BackendRecordsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void strictDecoding_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::addColumn<QString>("reasonNames"); // a word the failure reason must contain

        const QByteArray stats =
            R"({"total":3,"today":1,"last24h":2,"byType":{"camera":3},"byApp":{"Zoom":3}})";
        QTest::newRow("stats") << "DashboardStats" << stats << true << "";
        QTest::newRow("stats with unknown key")
            << "DashboardStats"
            << QByteArray(R"({"total":3,"today":1,"last24h":2,"byType":{},"byApp":{},"week":9})") << true
            << "";
        QTest::newRow("stats without today")
            << "DashboardStats" << QByteArray(R"({"total":3,"last24h":2,"byType":{},"byApp":{}})") << false
            << "today";
        QTest::newRow("stats with null total")
            << "DashboardStats"
            << QByteArray(R"({"total":null,"today":1,"last24h":2,"byType":{},"byApp":{}})") << false
            << "total";
        QTest::newRow("stats with fractional count")
            << "DashboardStats" << QByteArray(R"({"total":1.5,"today":1,"last24h":2,"byType":{},"byApp":{}})")
            << false << "total";
        QTest::newRow("stats with textual count")
            << "DashboardStats" << QByteArray(R"({"total":"3","today":1,"last24h":2,"byType":{},"byApp":{}})")
            << false << "total";
        QTest::newRow("stats with a textual count per type")
            << "DashboardStats"
            << QByteArray(R"({"total":3,"today":1,"last24h":2,"byType":{"camera":"3"},"byApp":{}})") << false
            << "byType";
        QTest::newRow("stats as an array") << "DashboardStats" << QByteArray("[1]") << false << "object";

        QTest::newRow("xmtp without address")
            << "XMTPStatus" << QByteArray(R"({"running":false})") << true << "";
        QTest::newRow("xmtp with null address")
            << "XMTPStatus" << QByteArray(R"({"running":true,"address":null})") << true << "";
        QTest::newRow("xmtp with numeric address")
            << "XMTPStatus" << QByteArray(R"({"running":true,"address":5})") << false << "address";
        QTest::newRow("xmtp with textual running")
            << "XMTPStatus" << QByteArray(R"({"running":"yes"})") << false << "running";

        QTest::newRow("telegram with empty name")
            << "TelegramStatus" << QByteArray(R"({"botUsername":"","configured":false})") << true << "";
        QTest::newRow("telegram without name")
            << "TelegramStatus" << QByteArray(R"({"configured":true,"chatId":"42"})") << false
            << "botUsername";
        QTest::newRow("telegram with numeric chat")
            << "TelegramStatus" << QByteArray(R"({"botUsername":"b","configured":true,"chatId":42})") << false
            << "chatId";

        QTest::newRow("automation without name")
            << "Automation"
            << QByteArray(R"({"id":"a1","skillId":"port-scan","schedule":"1h","enabled":true})") << true
            << "";
        QTest::newRow("automation without schedule")
            << "Automation" << QByteArray(R"({"id":"a1","skillId":"port-scan","enabled":true})") << false
            << "schedule";

        QTest::newRow("custom skill")
            << "CustomSkillDef" << QByteArray(R"({"id":"s1","name":"N","emoji":"🔥","script":"ls"})") << true
            << "";
        QTest::newRow("custom skill without emoji")
            << "CustomSkillDef" << QByteArray(R"({"id":"s1","name":"N","script":"ls"})") << false << "emoji";
        QTest::newRow("custom skills, bare array")
            << "CustomSkillDefs" << QByteArray(R"([{"id":"s1","name":"N","emoji":"x","script":"ls"}])")
            << true << "";
        QTest::newRow("custom skills in an envelope")
            << "CustomSkillDefs"
            << QByteArray(R"({"skills":[{"id":"s1","name":"N","emoji":"x","script":"ls"}]})") << false
            << "array";
        QTest::newRow("custom skills with one bad element")
            << "CustomSkillDefs"
            << QByteArray(R"([{"id":"s1","name":"N","emoji":"x","script":"ls"},{"id":"s2"}])") << false
            << "element 1";

        QTest::newRow("command without result")
            << "CommandResponse" << QByteArray(R"({"success":true,"error":"boom"})") << true << "";
        QTest::newRow("command without success")
            << "CommandResponse" << QByteArray(R"({"result":"ok"})") << false << "success";
        QTest::newRow("chat with null response")
            << "ChatResponse" << QByteArray(R"({"success":true,"response":null})") << true << "";
        QTest::newRow("generic with numeric message")
            << "GenericResponse" << QByteArray(R"({"success":true,"message":1})") << false << "message";
        QTest::newRow("automations, success false")
            << "AutomationsResponse" << QByteArray(R"({"success":false,"automations":[]})") << true << "";
        QTest::newRow("automations missing")
            << "AutomationsResponse" << QByteArray(R"({"success":true})") << false << "automations";
        QTest::newRow("automations with a bad element")
            << "AutomationsResponse" << QByteArray(R"({"success":true,"automations":[{"id":"a"}]})") << false
            << "automations";
        QTest::newRow("auth with instructions")
            << "TelegramAuthResult" << QByteArray(R"({"success":false,"instructions":["one","two"]})") << true
            << "";
        QTest::newRow("auth with numeric instruction")
            << "TelegramAuthResult" << QByteArray(R"({"success":false,"instructions":["one",2]})") << false
            << "instructions";
    }

    void strictDecoding()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        QFETCH(QString, reasonNames);
        QString reason;
        QCOMPARE(::decodes(kind, parse(json), &reason), decodes);
        if (!decodes)
            QVERIFY2(reason.contains(reasonNames), qPrintable(reason));
    }

    void decodedValues()
    {
        const auto stats = DashboardStats::fromJson(parse(
            R"({"total":9007199254740992,"today":1,"last24h":2,"byType":{"camera":3},"byApp":{"Zoom":4}})"));
        QVERIFY(stats);
        QCOMPARE(stats->total, Q_INT64_C(9007199254740992));
        QCOMPARE(stats->byType.value("camera"), 3);
        QCOMPARE(stats->byApp.value("Zoom"), 4);
        QVERIFY(!DashboardStats::fromJson(
            parse(R"({"total":1e300,"today":1,"last24h":2,"byType":{},"byApp":{}})")));

        const auto auth = TelegramAuthResult::fromJson(
            parse(R"({"success":true,"message":"m","chatId":"42","instructions":["a","b"],"x":1})"));
        QVERIFY(auth);
        QCOMPARE(auth->chatId, QStringLiteral("42"));
        QCOMPARE(auth->instructions, QStringList({"a", "b"}));

        const auto automations = AutomationsResponse::fromJson(parse(
            R"({"success":false,"automations":[{"id":"a1","skillId":"s","name":null,"schedule":"1h","enabled":true}]})"));
        QVERIFY(automations);
        QCOMPARE(automations->automations.size(), 1);
        QVERIFY(!automations->automations.first().name);
    }

    void encodingRoundTrips()
    {
        const DashboardStats stats{5, 1, 2, {{"camera", 5}}, {{"Zoom", 5}}};
        QCOMPARE(DashboardStats::fromJson(stats.toJson()), stats);
        const XMTPStatus xmtp{QStringLiteral("0xabc"), true};
        QCOMPARE(XMTPStatus::fromJson(xmtp.toJson()), xmtp);
        const TelegramStatus telegram{QStringLiteral("bot"), std::nullopt, true};
        QCOMPARE(TelegramStatus::fromJson(telegram.toJson()), telegram);
        QVERIFY(!telegram.toJson().contains("chatId"));
        const Automation automation{"a1", "port-scan", QStringLiteral("Ports"), "every 1h", false};
        QCOMPARE(Automation::fromJson(automation.toJson()), automation);
        const CustomSkillDef skill{"s1", "Name", "🔥", "echo hi\n"};
        QCOMPARE(CustomSkillDef::fromJson(skill.toJson()), skill);
        const TelegramAuthResult auth{true, std::nullopt, QStringLiteral("7"), QStringList{"x"}};
        QCOMPARE(TelegramAuthResult::fromJson(auth.toJson()), auth);
    }
};

QTEST_GUILESS_MAIN(BackendRecordsTest)
#include "tst_backendrecords.moc"
