#include "model/AppAlert.h"
#include "model/GroupedAlert.h"
#include "model/L10n.h"
#include "model/PrivacyWhitelist.h"
#include "model/Timestamp.h"

#include <QTest>

namespace {

SecurityAlert alert(const QString& type, const QString& app, const QString& timestamp,
                    std::optional<QString> details = std::nullopt)
{
    return {type, app, QString(), timestamp, std::move(details)};
}

std::optional<QDateTime> at(const QString& text)
{
    return Timestamp::parse(text);
}

QStringList idsOf(const QList<GroupedAlert>& groups)
{
    QStringList ids;
    for (const GroupedAlert& group : groups)
        ids.append(group.id);
    return ids;
}

const QString nine = QStringLiteral("2025-03-01T09:00:00.000Z");
const QString ten = QStringLiteral("2025-03-01T10:00:00Z");
const QString eleven = QStringLiteral("2025-03-01T11:00:00.250Z");

} // namespace

class AggregationTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyInputGivesNoRows()
    {
        QVERIFY(groupByApp({}).isEmpty());
        QVERIFY(groupedAlerts({}, 2, QString()).isEmpty());
    }

    void groupByAppFoldsNamesCaseInsensitively()
    {
        const QList<AppAlert> rows = groupByApp({
            alert("Camera", "Zoom", nine, QStringLiteral("first")),
            alert("microphone", "Slack", ten),
            alert("camera", "zoom", eleven, QStringLiteral("later")),
            alert("MICROPHONE", "ZOOM", ten),
        });
        QCOMPARE(rows.size(), 2);
        const AppAlert& zoom = rows[0];
        QCOMPARE(zoom.id, QStringLiteral("zoom"));
        QCOMPARE(zoom.app, QStringLiteral("Zoom"));
        QCOMPARE(zoom.types, (QStringList{"camera", "microphone"}));
        QCOMPARE(zoom.totalCount, 3);
        QCOMPARE(zoom.mostRecentDate, at(eleven));
        QCOMPARE(zoom.mostRecentTimestamp, nine);
        QCOMPARE(zoom.details, std::optional<QString>(QStringLiteral("first")));
        QCOMPARE(zoom.friendlyName, QStringLiteral("Zoom"));
        QCOMPARE(zoom.friendlyDesc, QStringLiteral("Zoom video meeting."));
        QVERIFY(!zoom.isSystem);
        QCOMPARE(zoom.risk, RiskLevel::normal);
        QCOMPARE(rows[1].id, QStringLiteral("slack"));
        QCOMPARE(rows[1].totalCount, 1);
    }

    void groupByAppKeepsTheFirstRecordAsRepresentative()
    {
        const QList<AppAlert> rows = groupByApp({
            alert("location", "Recorder", "not a date"),
            alert("camera", "recorder", ten, QStringLiteral("has details")),
            alert("location", "RECORDER", nine),
        });
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].app, QStringLiteral("Recorder"));
        QCOMPARE(rows[0].mostRecentTimestamp, QStringLiteral("not a date"));
        QCOMPARE(rows[0].details, std::nullopt);
        QCOMPARE(rows[0].types, (QStringList{"location", "camera"}));
        QCOMPARE(rows[0].mostRecentDate, at(ten));
        QCOMPARE(rows[0].risk, RiskLevel::danger);
        QCOMPARE(rows[0].friendlyName, QStringLiteral("Recorder"));
        QCOMPARE(rows[0].friendlyDesc, L10n::unknownAppDescription);
    }

    void groupByAppTakesRiskAndNamesFromTheCatalogue_data()
    {
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("friendlyName");
        QTest::addColumn<bool>("isSystem");
        QTest::addColumn<RiskLevel>("risk");
        QTest::newRow("system microphone") << "coreaudiod"
                                           << "microphone"
                                           << "System audio" << true << RiskLevel::normal;
        QTest::newRow("unknown camera") << "com.example.Spy"
                                        << "camera"
                                        << "example.Spy" << false << RiskLevel::danger;
        QTest::newRow("known capture tool") << "OBS"
                                            << "screen"
                                            << "OBS Studio" << false << RiskLevel::unusual;
        QTest::newRow("network only") << "curl"
                                      << "network"
                                      << "curl" << false << RiskLevel::normal;
    }

    void groupByAppTakesRiskAndNamesFromTheCatalogue()
    {
        QFETCH(QString, app);
        QFETCH(QString, type);
        QFETCH(QString, friendlyName);
        QFETCH(bool, isSystem);
        QFETCH(RiskLevel, risk);
        const QList<AppAlert> rows = groupByApp({alert(type, app, ten)});
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].friendlyName, friendlyName);
        QCOMPARE(rows[0].isSystem, isSystem);
        QCOMPARE(rows[0].risk, risk);
    }

    void mostRecentDate_data()
    {
        QTest::addColumn<QStringList>("timestamps");
        QTest::addColumn<QString>("latest"); // empty: absent
        QTest::newRow("with and without fractions") << QStringList{nine, ten} << ten;
        QTest::newRow("earlier does not replace") << QStringList{eleven, nine} << eleven;
        QTest::newRow("offset") << QStringList{nine, "2025-03-01T12:30:00+02:00"} << "2025-03-01T10:30:00Z";
        QTest::newRow("space instead of T") << QStringList{"2025-03-01 09:00:00Z"} << "";
        QTest::newRow("unparsable then parsed") << QStringList{"garbage", nine} << nine;
        QTest::newRow("parsed then unparsable") << QStringList{ten, "2025-03-01 11:00:00Z"} << ten;
        QTest::newRow("none parse") << QStringList{"", "yesterday"} << "";
    }

    void mostRecentDate()
    {
        QFETCH(QStringList, timestamps);
        QFETCH(QString, latest);
        const std::optional<QDateTime> expected = latest.isEmpty() ? std::nullopt : at(latest);
        QList<SecurityAlert> alerts;
        for (const QString& timestamp : timestamps)
            alerts.append(alert("camera", "Zoom", timestamp));
        QCOMPARE(groupByApp(alerts).value(0).mostRecentDate, expected);

        QList<GroupedAlert> groups = groupedAlerts(alerts, 1, QString());
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups[0].latestDate, expected);
        QCOMPARE(groups[0].count, timestamps.size());
    }

    void levelChoosesTheTypesShown_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("relaxed") << 0 << QStringList{"camera", "microphone"};
        QTest::newRow("normal") << 1 << QStringList{"camera", "microphone", "location"};
        QTest::newRow("paranoid") << 2 << QStringList{"camera", "microphone", "location", "network"};
        QTest::newRow("out of range") << 7 << QStringList{"camera", "microphone", "location", "network"};
        QTest::newRow("negative") << -1 << QStringList{"camera", "microphone", "location", "network"};
    }

    void levelChoosesTheTypesShown()
    {
        QFETCH(int, level);
        QFETCH(QStringList, shown);
        QList<SecurityAlert> alerts;
        for (const char* type : {"camera", "microphone", "location", "network", "screen_recording", "screen",
                                 "Camera", "bluetooth"})
            alerts.append(alert(type, "App", ten));
        QStringList types;
        for (const GroupedAlert& group : groupedAlerts(alerts, level, QString()))
            types.append(group.type);
        QCOMPARE(types, shown);
        QStringList fromLevel;
        for (QStringView type : typesShownAt(level))
            fromLevel.append(type.toString());
        QCOMPARE(fromLevel, shown);
    }

    void whitelistParsing_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("padded pieces and a blank one")
            << "  zoom , \t ,  slack\t" << QStringList{"zoom", "", "slack"};
        QTest::newRow("comma and space") << "zoom, slack" << QStringList{"zoom", "slack"};
        QTest::newRow("empty pieces dropped") << ",,zoom,," << QStringList{"zoom"};
        QTest::newRow("case kept") << "Zoom" << QStringList{"Zoom"};
        QTest::newRow("line breaks kept") << " zoom\n" << QStringList{"zoom\n"};
        QTest::newRow("empty setting") << "" << QStringList{};
        QTest::newRow("duplicates once") << "zoom,zoom" << QStringList{"zoom"};
    }

    void whitelistParsing()
    {
        QFETCH(QString, setting);
        QFETCH(QStringList, keys);
        QCOMPARE(whitelistedKeys(setting), QSet<QString>(keys.begin(), keys.end()));
    }

    void whitelistHidesApplications_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("visible");
        const QStringList everyone{"zoom.us|camera", "Slack Helper|camera", "Microsoft Teams|camera",
                                   "zoom.us|microphone"};
        QTest::newRow("zoom, blank, slack") << " zoom ,   , slack " << QStringList{"Microsoft Teams|camera"};
        QTest::newRow("capital key hides nothing") << "Zoom" << everyone;
        QTest::newRow("blank key hides nothing") << " , \t" << everyone;
        QTest::newRow("fragment inside the name")
            << "team" << QStringList{"zoom.us|camera", "Slack Helper|camera", "zoom.us|microphone"};
    }

    // Every group of a whitelisted application goes, whatever its type.
    void whitelistHidesApplications()
    {
        QFETCH(QString, setting);
        QFETCH(QStringList, visible);
        const QList<SecurityAlert> alerts{
            alert("camera", "zoom.us", eleven),       alert("camera", "Slack Helper", ten),
            alert("camera", "Microsoft Teams", nine), alert("camera", "zoom.us", ten),
            alert("camera", "Slack Helper", eleven),  alert("microphone", "zoom.us", nine)};
        const QList<GroupedAlert> groups = groupedAlerts(alerts, 1, setting);
        QCOMPARE(idsOf(groups), visible);
        for (const GroupedAlert& group : groups)
            QCOMPARE(group.count,
                     group.app == QStringLiteral("Microsoft Teams") || group.type == "microphone" ? 1 : 2);
    }

    void groupsByApplicationAndTypeExactly()
    {
        const QList<GroupedAlert> groups = groupedAlerts(
            {
                alert("camera", "zoom.us", ten),
                alert("microphone", "zoom.us", nine),
                alert("camera", "zoom.us", eleven),
                alert("camera", "Zoom.us", nine),
            },
            1, QString());
        QCOMPARE(idsOf(groups), (QStringList{"zoom.us|camera", "zoom.us|microphone", "Zoom.us|camera"}));
        QCOMPARE(groups[0].count, 2);
        QCOMPARE(groups[0].app, QStringLiteral("zoom.us"));
        QCOMPARE(groups[0].type, QStringLiteral("camera"));
        QCOMPARE(groups[0].latestDate, at(eleven));
        QCOMPARE(groups[1].count, 1);
        QCOMPARE(groups[2].count, 1);
    }

    // Newest first, undated last; equal dates keep the order in which the groups first appeared.
    void groupsSortNewestFirst()
    {
        const QList<GroupedAlert> groups = groupedAlerts(
            {
                alert("camera", "A", nine),
                alert("camera", "Undated", "2025-03-01 12:00:00Z"),
                alert("camera", "B", eleven),
                alert("camera", "TieFirst", ten),
                alert("camera", "TieSecond", "2025-03-01T10:00:00.000Z"),
                alert("camera", "Undated too", ""),
            },
            1, QString());
        QCOMPARE(idsOf(groups), (QStringList{"B|camera", "TieFirst|camera", "TieSecond|camera", "A|camera",
                                             "Undated|camera", "Undated too|camera"}));
        QCOMPARE(groups[4].latestDate, std::nullopt);
    }
};

QTEST_GUILESS_MAIN(AggregationTest)
#include "tst_aggregation.moc"
