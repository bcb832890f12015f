#include "model/RiskLevel.h"

#include <QTest>

class RiskTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void computeRisk_data()
    {
        QTest::addColumn<QString>("app");
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<bool>("isSystem");
        QTest::addColumn<RiskLevel>("risk");
        QTest::newRow("system camera") << "coreaudiod" << QStringList{"camera"} << true << RiskLevel::normal;
        QTest::newRow("system screen")
            << "Recorder" << QStringList{"screen_recording", "location"} << true << RiskLevel::normal;
        QTest::newRow("known video app, capital type")
            << "ZoomRoom" << QStringList{"Camera"} << false << RiskLevel::normal;
        QTest::newRow("meet fragment")
            << "Meeting Recorder" << QStringList{"camera"} << false << RiskLevel::normal;
        QTest::newRow("unknown microphone")
            << "Recorder" << QStringList{"MICROPHONE"} << false << RiskLevel::danger;
        QTest::newRow("camera before location")
            << "Unknown" << QStringList{"location", "camera"} << false << RiskLevel::danger;
        QTest::newRow("camera before screen")
            << "OBS" << QStringList{"screen", "camera"} << false << RiskLevel::normal;
        QTest::newRow("location only") << "Zoom" << QStringList{"location"} << false << RiskLevel::unusual;
        QTest::newRow("location before screen")
            << "Recorder" << QStringList{"screen", "location"} << false << RiskLevel::unusual;
        QTest::newRow("known capture tool") << "OBS" << QStringList{"screen"} << false << RiskLevel::unusual;
        QTest::newRow("screen studio")
            << "Screen Studio" << QStringList{"SCREEN_RECORDING"} << false << RiskLevel::unusual;
        QTest::newRow("unknown screen recording")
            << "Recorder" << QStringList{"screen_recording"} << false << RiskLevel::danger;
        QTest::newRow("video fragment is no capture tool")
            << "Slack" << QStringList{"screen"} << false << RiskLevel::danger;
        QTest::newRow("network only") << "Recorder" << QStringList{"network"} << false << RiskLevel::normal;
        QTest::newRow("unknown kind") << "Recorder" << QStringList{"bluetooth"} << false << RiskLevel::normal;
        QTest::newRow("no types") << "Recorder" << QStringList{} << false << RiskLevel::normal;
    }

    void computeRisk()
    {
        QFETCH(QString, app);
        QFETCH(QStringList, types);
        QFETCH(bool, isSystem);
        QFETCH(RiskLevel, risk);
        QCOMPARE(::computeRisk(app, types, isSystem), risk);
    }

    void everySafeFragmentIsLowerCase()
    {
        for (QStringView fragment : safeVideoApps)
            QCOMPARE(fragment.toString().toLower(), fragment.toString());
        for (QStringView fragment : safeScreenApps)
            QCOMPARE(fragment.toString().toLower(), fragment.toString());
        QCOMPARE(safeVideoApps.size(), size_t(15));
        QCOMPARE(safeScreenApps.size(), size_t(6));
    }
};

QTEST_GUILESS_MAIN(RiskTest)
#include "tst_risk.moc"
