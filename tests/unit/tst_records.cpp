#include "model/AppPermission.h"
#include "model/SecurityAlert.h"
#include "model/Timestamp.h"

#include <QJsonDocument>
#include <QTest>

class RecordsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void alertIdentityIgnoresDetails()
    {
        SecurityAlert a{"camera", "Zoom", "", "2025-03-01T09:15:42.517Z", QStringLiteral("one")};
        SecurityAlert b = a;
        b.details = QStringLiteral("two");
        QCOMPARE(a.id(), QStringLiteral("camera-Zoom-2025-03-01T09:15:42.517Z"));
        QCOMPARE(a.id(), b.id());
        QVERIFY(a != b);
        QCOMPARE((AppPermission{"Camera", "com.x.y", "Y", true}).id(), QStringLiteral("Camera-com.x.y"));
    }

    void alertJson_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::addColumn<bool>("hasDetails");
        QTest::newRow("without details")
            << QByteArray(R"({"type":"camera","app":"A","path":"","timestamp":"t"})") << true << false;
        QTest::newRow("null details")
            << QByteArray(R"({"type":"camera","app":"A","path":"","timestamp":"t","details":null})") << true
            << false;
        QTest::newRow("with details")
            << QByteArray(R"({"type":"camera","app":"A","path":"","timestamp":"t","details":"d","extra":1})")
            << true << true;
        QTest::newRow("missing path")
            << QByteArray(R"({"type":"camera","app":"A","timestamp":"t"})") << false << false;
        QTest::newRow("numeric app") << QByteArray(R"({"type":"camera","app":5,"path":"","timestamp":"t"})")
                                     << false << false;
        QTest::newRow("not an object") << QByteArray(R"(["camera"])") << false << false;
    }

    void alertJson()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        QFETCH(bool, hasDetails);
        const QJsonDocument document = QJsonDocument::fromJson(json);
        const QJsonValue value =
            document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
        const auto alert = SecurityAlert::fromJson(value);
        QCOMPARE(alert.has_value(), decodes);
        if (!alert)
            return;
        QCOMPARE(alert->details.has_value(), hasDetails);
        const QJsonObject encoded = alert->toJson();
        QCOMPARE(encoded.contains("details"), hasDetails);
        QCOMPARE(SecurityAlert::fromJson(encoded), alert);
    }

    void oneBadElementFailsTheList()
    {
        const auto good =
            QJsonDocument::fromJson(R"([{"type":"camera","app":"A","path":"","timestamp":"t"}])");
        QCOMPARE(SecurityAlerts::fromJson(good.array())->size(), 1);
        const auto bad = QJsonDocument::fromJson(
            R"([{"type":"camera","app":"A","path":"","timestamp":"t"},{"type":"camera","app":"B","timestamp":"t"}])");
        QVERIFY(!SecurityAlerts::fromJson(bad.array()));
        QVERIFY(!SecurityAlerts::fromJson(QJsonObject()));
    }

    void timestampWritesMillisecondsInUtc()
    {
        const QDateTime local(QDate(2025, 3, 1), QTime(11, 15, 42, 517), Qt::OffsetFromUTC, 7200);
        QCOMPARE(Timestamp::format(local), QStringLiteral("2025-03-01T09:15:42.517Z"));
        QCOMPARE(Timestamp::format(QDateTime(QDate(2025, 3, 1), QTime(9, 0), Qt::UTC)),
                 QStringLiteral("2025-03-01T09:00:00.000Z"));
    }

    void timestampParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("utc"); // empty: must not parse
        QTest::newRow("fractional Z") << "2025-03-01T09:15:42.517Z"
                                      << "2025-03-01T09:15:42.517Z";
        QTest::newRow("plain Z") << "2025-03-01T09:15:42Z"
                                 << "2025-03-01T09:15:42.000Z";
        QTest::newRow("offset") << "2025-03-01T11:15:42+02:00"
                                << "2025-03-01T09:15:42.000Z";
        QTest::newRow("negative offset, micros") << "2025-03-01T04:15:42.123456-05:00"
                                                 << "2025-03-01T09:15:42.123Z";
        QTest::newRow("one fraction digit") << "2025-03-01T09:15:42.5Z"
                                            << "2025-03-01T09:15:42.500Z";
        QTest::newRow("no zone") << "2025-03-01T09:15:42"
                                 << "";
        QTest::newRow("date only") << "2025-03-01"
                                   << "";
        QTest::newRow("bad month") << "2025-13-01T09:15:42Z"
                                   << "";
        QTest::newRow("trailing text") << "2025-03-01T09:15:42Zx"
                                       << "";
        QTest::newRow("empty fraction") << "2025-03-01T09:15:42.Z"
                                        << "";
        QTest::newRow("garbage") << "yesterday"
                                 << "";
    }

    void timestampParse()
    {
        QFETCH(QString, text);
        QFETCH(QString, utc);
        const auto parsed = Timestamp::parse(text);
        QCOMPARE(parsed.has_value(), !utc.isEmpty());
        if (parsed)
            QCOMPARE(Timestamp::format(*parsed), utc);
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "tst_records.moc"
