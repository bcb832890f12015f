#include "app/DashboardRules.h"

#include <QTest>

using namespace DashboardRules;

namespace {

AppAlert appAlert(const QString& name, const QStringList& types, int count, bool isSystem = false,
                  RiskLevel risk = RiskLevel::normal)
{
    AppAlert alert;
    alert.id = name.toLower();
    alert.app = name;
    alert.friendlyName = name;
    alert.friendlyDesc = QStringLiteral("Does things.");
    alert.types = types;
    alert.totalCount = count;
    alert.isSystem = isSystem;
    alert.risk = risk;
    return alert;
}

SecurityAlert engineAlert(const QString& type)
{
    return {type, QStringLiteral("App"), {}, QStringLiteral("2026-01-01T10:00:00Z"), std::nullopt};
}

} // namespace

class DashboardRulesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typeVocabulary_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ending");
        QTest::newRow("camera") << "camera"
                                << "camera.fill" << QColor::fromRgbF(0.25f, 0.55f, 1.0f) << "la caméra"
                                << " a regardé par ta caméra";
        QTest::newRow("Camera") << "Camera"
                                << "camera.fill" << QColor::fromRgbF(0.25f, 0.55f, 1.0f) << "la caméra"
                                << " a regardé par ta caméra";
        QTest::newRow("microphone") << "microphone"
                                    << "mic.fill" << QColor::fromRgbF(0.65f, 0.3f, 1.0f) << "le micro"
                                    << " a utilisé ton micro";
        QTest::newRow("location") << "location"
                                  << "location.fill" << QColor::fromRgbF(1.0f, 0.6f, 0.15f) << "ta position"
                                  << " a demandé ta position exacte";
        QTest::newRow("network") << "network"
                                 << "network" << QColor::fromRgbF(0.2f, 0.78f, 0.45f) << "le réseau"
                                 << " a ouvert des connexions réseau";
        QTest::newRow("screen") << "screen"
                                << "rectangle.on.rectangle.fill" << QColor::fromRgbF(1.0f, 0.4f, 0.2f)
                                << "l'écran"
                                << " a capturé ton écran";
        QTest::newRow("screen_recording")
            << "SCREEN_RECORDING"
            << "rectangle.on.rectangle.fill" << QColor::fromRgbF(1.0f, 0.4f, 0.2f) << "l'écran"
            << " a capturé ton écran";
        QTest::newRow("unknown keeps its case")
            << "Bluetooth"
            << "exclamationmark.circle.fill" << QColor::fromRgbF(1, 1, 1, 0.55f) << "Bluetooth"
            << " a déclenché un événement";
    }
    void typeVocabulary()
    {
        QFETCH(QString, type);
        QFETCH(QString, icon);
        QFETCH(QColor, color);
        QFETCH(QString, name);
        QFETCH(QString, ending);
        QCOMPARE(typeIcon(type), icon);
        QCOMPARE(typeColor(type), color);
        QCOMPARE(humanTypeName(type), name);
        QCOMPARE(sentenceEnding(type), ending);
    }

    void headlines_data()
    {
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("headline");
        QTest::addColumn<QString>("badge");
        QTest::newRow("one type, once") << QStringList{"location"} << 1 << "Zoom a demandé ta position exacte"
                                        << "";
        QTest::newRow("Camera three times")
            << QStringList{"Camera"} << 3 << QString::fromUtf8("Zoom a regardé par ta caméra · 3×") << "×3";
        QTest::newRow("two types") << QStringList{"camera", "microphone"} << 2
                                   << QString::fromUtf8("Zoom a accédé à la caméra et le micro") << "×2";
        QTest::newRow("three types name two")
            << QStringList{"camera", "microphone", "location"} << 5
            << QString::fromUtf8("Zoom a accédé à la caméra et le micro") << "×5";
        QTest::newRow("no types") << QStringList{} << 1 << QString::fromUtf8("Zoom a accédé à ") << "";
    }
    void headlines()
    {
        QFETCH(QStringList, types);
        QFETCH(int, count);
        QFETCH(QString, headline);
        QFETCH(QString, badge);
        QCOMPARE(DashboardRules::headline(appAlert("Zoom", types, count)), headline);
        QCOMPARE(countBadge(count), badge);
    }

    void sentenceSuffixStartsAtTwo()
    {
        QCOMPARE(humanSentence("camera", "X", 0), QString::fromUtf8("X a regardé par ta caméra"));
        QCOMPARE(humanSentence("camera", "X", 1), QString::fromUtf8("X a regardé par ta caméra"));
        QCOMPARE(humanSentence("network", "X", 2),
                 QString::fromUtf8("X a ouvert des connexions réseau · 2×"));
    }

    void explanations_data()
    {
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<bool>("isSystem");
        QTest::addColumn<RiskLevel>("risk");
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("text");
        const int mac = int(Platform::Kind::MacOS);
        const int onLinux = int(Platform::Kind::Linux);
        QTest::newRow("system first, whatever the type")
            << QStringList{"camera"} << true << RiskLevel::danger << mac
            << "A is a built-in macOS component. Does things. This is normal behavior, no action needed.";
        QTest::newRow("system on Linux")
            << QStringList{"microphone"} << true << RiskLevel::normal << onLinux
            << "A is a built-in system component. Does things. This is normal behavior, no action needed.";
        QTest::newRow("camera, not danger") << QStringList{"camera"} << false << RiskLevel::normal << mac
                                            << "A activated your camera. If you were in a meeting or video "
                                               "call, this is normal. Otherwise, check "
                                               "permissions in System Settings > Privacy.";
        QTest::newRow("camera, not danger, Linux")
            << QStringList{"camera"} << false << RiskLevel::unusual << onLinux
            << "A activated your camera. If you were in a meeting or video call, this is normal. Otherwise, "
               "check "
               "permissions in your desktop's privacy settings.";
        QTest::newRow("camera, danger")
            << QStringList{"Camera", "location"} << false << RiskLevel::danger << mac
            << "A accessed your camera but isn't recognized as a video conferencing tool. It could be "
               "recording "
               "without your knowledge. We recommend blocking it immediately.";
        QTest::newRow("microphone, not danger")
            << QStringList{"microphone"} << false << RiskLevel::normal << mac
            << "A accessed your microphone. Normal if you were on a call or using dictation. Otherwise, "
               "check "
               "permissions in System Settings.";
        QTest::newRow("microphone, not danger, Linux")
            << QStringList{"microphone"} << false << RiskLevel::normal << onLinux
            << "A accessed your microphone. Normal if you were on a call or using dictation. Otherwise, "
               "check "
               "permissions in your desktop's settings.";
        QTest::newRow("microphone, danger") << QStringList{"microphone"} << false << RiskLevel::danger << mac
                                            << "A used your microphone without obvious reason. It could be "
                                               "recording your conversations. This is "
                                               "a warning sign not to ignore.";
        QTest::newRow("location decides when first")
            << QStringList{"location", "camera"} << false << RiskLevel::danger << mac
            << "A requested your precise GPS location. This can be used for maps or weather, but some apps "
               "collect your location for ad tracking.";
        QTest::newRow("screen") << QStringList{"screen"} << false << RiskLevel::unusual << mac
                                << "A captured your screen content. Tools like Loom or OBS do this "
                                   "legitimately, but an unknown app "
                                   "doing this is very suspicious.";
        QTest::newRow("network is unknown here")
            << QStringList{"network"} << false << RiskLevel::normal << mac
            << "A accessed a protected system resource. Check if this is an app you know and trust.";
        QTest::newRow("no types")
            << QStringList{} << false << RiskLevel::normal << onLinux
            << "A accessed a protected system resource. Check if this is an app you know and trust.";
    }
    void explanations()
    {
        QFETCH(QStringList, types);
        QFETCH(bool, isSystem);
        QFETCH(RiskLevel, risk);
        QFETCH(int, platform);
        QFETCH(QString, text);
        QCOMPARE(whyExplanation(appAlert("A", types, 1, isSystem, risk), Platform::Kind(platform)), text);
    }

    // Catalogue descriptions are written for the Mac; elsewhere they speak of the computer, in the
    // sheet's line and in a system component's explanation alike.
    void descriptionsSpeakOfThisComputer()
    {
        AppAlert unknown = appAlert("tool", {"microphone"}, 1);
        unknown.friendlyDesc = QStringLiteral("Third-party application detected on your Mac.");
        QCOMPARE(appDescription(unknown, Platform::Kind::MacOS), unknown.friendlyDesc);
        QCOMPARE(appDescription(unknown, Platform::Kind::Linux),
                 "Third-party application detected on your computer.");
        AppAlert audio = appAlert("System audio", {"microphone"}, 1, true);
        audio.friendlyDesc = QStringLiteral("Your Mac manages audio. Normal.");
        QCOMPARE(whyExplanation(audio, Platform::Kind::Linux),
                 "System audio is a built-in system component. Your computer manages audio. Normal. This is "
                 "normal behavior, no action needed.");
    }

    void whatToDoNamesThePlatformsSettings()
    {
        const QStringList mac = whatToDo(Platform::Kind::MacOS);
        QCOMPARE(
            mac,
            (QStringList{
                QString::fromUtf8("If you recognize this app and its action → nothing to do."),
                QString::fromUtf8("If the access is unexpected → use the \"Block\" button to force quit."),
                QString::fromUtf8("To revoke permissions → System Settings > Privacy & Security.")}));
        const QStringList forLinux = whatToDo(Platform::Kind::Linux);
        QCOMPARE(forLinux.mid(0, 2), mac.mid(0, 2));
        QCOMPARE(forLinux.at(2),
                 QString::fromUtf8("To revoke permissions → your desktop's privacy settings."));
        QCOMPARE(systemCapsule(Platform::Kind::MacOS), "Apple");
        QCOMPARE(systemCapsule(Platform::Kind::Linux), "System");
    }

    void riskLooks_data()
    {
        QTest::addColumn<RiskLevel>("risk");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("label");
        QTest::newRow("normal") << RiskLevel::normal << QColor::fromRgbF(0.18f, 0.8f, 0.35f)
                                << "checkmark.shield.fill"
                                << "Normal";
        QTest::newRow("unusual") << RiskLevel::unusual << QColor::fromRgbF(1.0f, 0.75f, 0.15f)
                                 << "exclamationmark.triangle.fill"
                                 << "Inhabituel";
        QTest::newRow("danger") << RiskLevel::danger << QColor::fromRgbF(1.0f, 0.27f, 0.22f)
                                << "xmark.shield.fill"
                                << "Danger";
    }
    void riskLooks()
    {
        QFETCH(RiskLevel, risk);
        QFETCH(QColor, color);
        QFETCH(QString, symbol);
        QFETCH(QString, label);
        QCOMPARE(riskColor(risk), color);
        QCOMPARE(riskBadgeSymbol(risk), symbol);
        QCOMPARE(riskSheetLabel(risk), label);
    }

    void threat_data()
    {
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<bool>("threat");
        QTest::newRow("none") << QStringList{} << false;
        QTest::newRow("fewer than five, camera last") << QStringList{"location", "network", "camera"} << true;
        QTest::newRow("microphone fifth")
            << QStringList{"location", "location", "network", "location", "microphone"} << true;
        QTest::newRow("camera sixth does not count")
            << QStringList{"location", "location", "network", "location", "screen", "camera"} << false;
        QTest::newRow("exact words only") << QStringList{"Camera", "mic"} << false;
    }
    void threat()
    {
        QFETCH(QStringList, types);
        QFETCH(bool, threat);
        QList<SecurityAlert> alerts;
        for (const QString& type : types)
            alerts << engineAlert(type);
        QCOMPARE(hasThreat(alerts), threat);
    }

    void startButton_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("shown");
        QTest::newRow("down, installed") << false << true << true;
        QTest::newRow("down, not installed") << false << false << false;
        QTest::newRow("up, installed") << true << true << false;
        QTest::newRow("up, not installed") << true << false << false;
    }
    void startButton()
    {
        QFETCH(bool, connected);
        QFETCH(bool, installed);
        QFETCH(bool, shown);
        QCOMPARE(showsStartButton(connected, installed), shown);
    }

    void xmtpReplies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("applies");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("address");
        QTest::newRow("running with address")
            << QByteArray(R"({"running": true, "address": "0xabc"})") << true << true << "0xabc";
        QTest::newRow("running without address")
            << QByteArray(R"({"running": true})") << true << true << "Unavailable";
        QTest::newRow("not running") << QByteArray(R"({"running": false, "address": "0xabc"})") << true
                                     << false << "0xabc";
        QTest::newRow("running not a boolean")
            << QByteArray(R"({"running": "yes", "address": 7})") << true << false << "Unavailable";
        QTest::newRow("empty object") << QByteArray("{}") << true << false << "Unavailable";
        QTest::newRow("array") << QByteArray("[]") << false << false << "";
        QTest::newRow("empty body") << QByteArray() << false << false << "";
        QTest::newRow("not JSON") << QByteArray("<html>") << false << false << "";
    }
    void xmtpReplies()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, applies);
        QFETCH(bool, running);
        QFETCH(QString, address);
        const std::optional<XmtpState> state = xmtpFromReply(body);
        QCOMPARE(state.has_value(), applies);
        if (state)
            QCOMPARE(*state, (XmtpState{running, address}));
    }
};

QTEST_APPLESS_MAIN(DashboardRulesTest)
#include "tst_dashboardrules.moc"
