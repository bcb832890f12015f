#include "sensors/HwmonSensor.h"
#include "sensors/SmcRecord.h"
#include "sensors/SmcValue.h"
#include "sensors/ThermalState.h"

#include <QTest>

#include <cstring>

using Thermal::State;

class SensorValuesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decode_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hasValue");
        QTest::addColumn<double>("value");
        QTest::newRow("sp78 42.5") << "sp78" << QByteArray("\x2A\x80", 2) << true << 42.5;
        QTest::newRow("sp78 negative") << "sp78" << QByteArray("\xF6\x00", 2) << true << -10.0;
        QTest::newRow("sp78 ignores later bytes")
            << "sp78" << QByteArray("\x30\x40\xFF\xFF", 4) << true << 48.25;
        QTest::newRow("flt 55.5") << "flt " << QByteArray("\x42\x5E\x00\x00", 4) << true << 55.5;
        QTest::newRow("flt without its space") << "flt" << QByteArray("\x42\x5E\x00\x00", 4) << false << 0.0;
        QTest::newRow("unsigned integer type") << "ui8 " << QByteArray("\x2A", 1) << false << 0.0;
        QTest::newRow("sp78 too short") << "sp78" << QByteArray("\x2A", 1) << false << 0.0;
    }

    void decode()
    {
        QFETCH(QString, type);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, hasValue);
        QFETCH(double, value);
        const std::optional<double> decoded = SmcValue::decode(type, bytes);
        QCOMPARE(decoded.has_value(), hasValue);
        if (hasValue)
            QCOMPARE(*decoded, value);
    }

    void validRangeIsOpenAtBothEnds_data()
    {
        QTest::addColumn<double>("celsius");
        QTest::addColumn<bool>("valid");
        QTest::newRow("14.9") << 14.9 << false;
        QTest::newRow("15.0") << 15.0 << false;
        QTest::newRow("15.1") << 15.1 << true;
        QTest::newRow("119.9") << 119.9 << true;
        QTest::newRow("120.0") << 120.0 << false;
        QTest::newRow("-10") << -10.0 << false;
    }

    void validRangeIsOpenAtBothEnds()
    {
        QFETCH(double, celsius);
        QFETCH(bool, valid);
        QCOMPARE(SmcValue::isValidCpuTemperature(celsius), valid);
    }

    void keysAreBigEndianFourCharacterCodes()
    {
        QCOMPARE(SmcValue::keyCode(QStringLiteral("TC0P")), std::optional<quint32>(0x54433050));
        QVERIFY(!SmcValue::keyCode(QStringLiteral("TC0")));
        QVERIFY(!SmcValue::keyCode(QStringLiteral("TC0PX")));
        // Two characters but five UTF-8 bytes: not a key.
        QVERIFY(!SmcValue::keyCode(QStringLiteral("TC0é")));
        QCOMPARE(SmcValue::codeText(0x73703738), QStringLiteral("sp78"));
        QCOMPARE(SmcValue::codeText(0x666C7420), QStringLiteral("flt "));
        QCOMPARE(SmcValue::codeText(0xFF000000), QString());
    }

    void requestRecordsFollowTheDriverLayout()
    {
        const SmcParamRecord info = smcKeyInfoRequest(0x54433050);
        const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
        QCOMPARE(bytes[42], quint8(9));
        QCOMPARE(bytes[40], quint8(0));
        quint32 key = 0;
        std::memcpy(&key, bytes, 4);
        QCOMPARE(key, 0x54433050u);

        const SmcParamRecord read = smcReadRequest(0x54433050, 2);
        const auto* readBytes = reinterpret_cast<const unsigned char*>(&read);
        QCOMPARE(readBytes[42], quint8(5));
        quint32 size = 0;
        std::memcpy(&size, readBytes + 28, 4);
        QCOMPARE(size, 2u);
    }

    void thermalState_data()
    {
        QTest::addColumn<double>("celsius");
        QTest::addColumn<double>("max"); // 0: absent
        QTest::addColumn<double>("critical");
        QTest::addColumn<State>("state");
        QTest::newRow("cool") << 45.0 << 80.0 << 100.0 << State::Nominal;
        QTest::newRow("within ten degrees of max") << 70.0 << 80.0 << 100.0 << State::Fair;
        QTest::newRow("at max") << 80.0 << 80.0 << 100.0 << State::Serious;
        QTest::newRow("at critical") << 100.0 << 80.0 << 100.0 << State::Critical;
        QTest::newRow("critical only, fair") << 81.0 << 0.0 << 100.0 << State::Fair;
        QTest::newRow("critical only, serious") << 91.0 << 0.0 << 100.0 << State::Serious;
        QTest::newRow("max equal to critical") << 91.0 << 100.0 << 100.0 << State::Serious;
        QTest::newRow("max only") << 95.0 << 90.0 << 0.0 << State::Serious;
        QTest::newRow("no trip points") << 110.0 << 0.0 << 0.0 << State::Nominal;
        QTest::newRow("absurd trip points") << 60.0 << -5.0 << 1000.0 << State::Nominal;
    }

    void thermalState()
    {
        QFETCH(double, celsius);
        QFETCH(double, max);
        QFETCH(double, critical);
        QFETCH(State, state);
        auto optional = [](double v) { return v == 0.0 ? std::nullopt : std::optional<double>(v); };
        QCOMPARE(Thermal::stateFor(celsius, optional(max), optional(critical)), state);
    }

    void millidegrees_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("hasValue");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << QByteArray("48000\n") << true << 48.0;
        QTest::newRow("fraction") << QByteArray("47250") << true << 47.25;
        QTest::newRow("negative") << QByteArray("-5000\n") << true << -5.0;
        QTest::newRow("empty") << QByteArray() << false << 0.0;
        QTest::newRow("garbage") << QByteArray("hot\n") << false << 0.0;
        QTest::newRow("unit suffix") << QByteArray("48000 mC") << false << 0.0;
        QTest::newRow("too long") << QByteArray("48000000000000000000") << false << 0.0;
    }

    void millidegrees()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, hasValue);
        QFETCH(double, value);
        const std::optional<double> parsed = HwmonSensor::parseMillidegrees(text);
        QCOMPARE(parsed.has_value(), hasValue);
        if (hasValue)
            QCOMPARE(*parsed, value);
    }
};

QTEST_GUILESS_MAIN(SensorValuesTest)
#include "tst_sensorvalues.moc"
