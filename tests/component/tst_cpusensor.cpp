#include "sensors/CpuSensor.h"
#include "sensors/CpuTemperatureMonitor.h"
#include "sensors/HwmonSensor.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <atomic>

using Thermal::State;

namespace {

// A fake sysfs: "class/hwmon/hwmonN/<file>" and "class/thermal/thermal_zoneN/<file>" with contents.
class FakeSysfs
{
public:
    QString root() const { return m_dir.path(); }

    void write(const QString& relativePath, const QByteArray& contents)
    {
        const QString path = m_dir.path() + QLatin1Char('/') + relativePath;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(contents);
    }

private:
    QTemporaryDir m_dir;
};

using Files = QList<QPair<QString, QByteArray>>;

} // namespace

class CpuSensorTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsTheFirstValidCandidate_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<double>("celsius"); // 0: absent
        QTest::addColumn<State>("state");

        const Files coretemp{{"class/hwmon/hwmon1/name", "coretemp\n"},
                             {"class/hwmon/hwmon1/temp2_label", "Core 0\n"},
                             {"class/hwmon/hwmon1/temp2_input", "30000\n"},
                             {"class/hwmon/hwmon1/temp1_label", "Package id 0\n"},
                             {"class/hwmon/hwmon1/temp1_input", "52000\n"},
                             {"class/hwmon/hwmon1/temp1_max", "80000\n"},
                             {"class/hwmon/hwmon1/temp1_crit", "100000\n"}};
        QTest::newRow("coretemp package, not a core") << coretemp << 52.0 << State::Nominal;

        Files hot = coretemp;
        hot[4].second = "85000\n";
        QTest::newRow("coretemp above its max") << hot << 85.0 << State::Serious;

        const Files k10temp{{"class/hwmon/hwmon0/name", "k10temp\n"},
                            {"class/hwmon/hwmon0/temp1_label", "Tctl\n"},
                            {"class/hwmon/hwmon0/temp1_input", "61000\n"},
                            {"class/hwmon/hwmon0/temp2_label", "Tdie\n"},
                            {"class/hwmon/hwmon0/temp2_input", "51000\n"}};
        QTest::newRow("k10temp prefers Tdie") << k10temp << 51.0 << State::Nominal;
        QTest::newRow("k10temp Tctl alone") << Files{{"class/hwmon/hwmon0/name", "k10temp\n"},
                                                     {"class/hwmon/hwmon0/temp1_label", "Tctl\n"},
                                                     {"class/hwmon/hwmon0/temp1_input", "61000\n"}}
                                            << 61.0 << State::Nominal;
        QTest::newRow("k10temp without labels")
            << Files{{"class/hwmon/hwmon3/name", "k10temp\n"}, {"class/hwmon/hwmon3/temp1_input", "44000\n"}}
            << 44.0 << State::Nominal;

        const Files zone{{"class/thermal/thermal_zone0/type", "acpitz\n"},
                         {"class/thermal/thermal_zone0/temp", "27000\n"},
                         {"class/thermal/thermal_zone1/type", "x86_pkg_temp\n"},
                         {"class/thermal/thermal_zone1/temp", "92000\n"},
                         {"class/thermal/thermal_zone1/trip_point_0_type", "passive\n"},
                         {"class/thermal/thermal_zone1/trip_point_0_temp", "90000\n"},
                         {"class/thermal/thermal_zone1/trip_point_1_type", "critical\n"},
                         {"class/thermal/thermal_zone1/trip_point_1_temp", "105000\n"}};
        QTest::newRow("x86_pkg_temp zone with trip points") << zone << 92.0 << State::Serious;
        QTest::newRow("cpu-thermal zone") << Files{{"class/thermal/thermal_zone0/type", "cpu-thermal\n"},
                                                   {"class/thermal/thermal_zone0/temp", "47500\n"}}
                                          << 47.5 << State::Nominal;

        Files fallsThrough = coretemp;
        fallsThrough[4].second = "garbage\xff\n";
        fallsThrough += zone;
        QTest::newRow("garbage package sensor falls to the zone") << fallsThrough << 92.0 << State::Serious;
        Files tooCold = k10temp;
        tooCold[4].second = "14900\n";
        tooCold[2].second = "12000\n";
        QTest::newRow("out of range everywhere") << tooCold << 0.0 << State::Nominal;
        QTest::newRow("other hwmon devices only")
            << Files{{"class/hwmon/hwmon0/name", "nvme\n"}, {"class/hwmon/hwmon0/temp1_input", "40000\n"}}
            << 0.0 << State::Nominal;
        QTest::newRow("no sysfs at all") << Files{} << 0.0 << State::Nominal;
    }

    void readsTheFirstValidCandidate()
    {
        QFETCH(Files, files);
        QFETCH(double, celsius);
        QFETCH(State, state);
        FakeSysfs sysfs;
        for (const auto& [path, contents] : files)
            sysfs.write(path, contents);
        const CpuReading reading = HwmonSensor::read(sysfs.root());
        QCOMPARE(reading.celsius, celsius == 0.0 ? std::nullopt : std::optional<double>(celsius));
        // No valid reading measures no thermal state either: the panel then shows "–".
        QCOMPARE(reading.thermalState, celsius == 0.0 ? std::nullopt : std::optional<State>(state));
    }

    void hwmonNumbersSortNumerically()
    {
        FakeSysfs sysfs;
        sysfs.write("class/hwmon/hwmon10/name", "coretemp\n");
        sysfs.write("class/hwmon/hwmon10/temp1_input", "70000\n");
        sysfs.write("class/hwmon/hwmon9/name", "coretemp\n");
        sysfs.write("class/hwmon/hwmon9/temp1_input", "40000\n");
        QCOMPARE(HwmonSensor::read(sysfs.root()).celsius, std::optional<double>(40.0));
    }

    void platformReaderUsesTheConfiguredSysRoot()
    {
        FakeSysfs sysfs;
        sysfs.write("class/thermal/thermal_zone0/type", "x86_pkg_temp\n");
        sysfs.write("class/thermal/thermal_zone0/temp", "63000\n");
        qputenv("HALVEX_SYS_ROOT", sysfs.root().toUtf8());
        QCOMPARE(smcReadCPUTemp(), std::optional<double>(63.0));
        QCOMPARE(readCpuSensor().celsius, std::optional<double>(63.0));
        QVERIFY(!processThermalState());
        qunsetenv("HALVEX_SYS_ROOT");
    }

    void refreshPublishesTheReading()
    {
        std::atomic<int> reads{0};
        CpuTemperatureMonitor monitor(
            [&reads]() {
                ++reads;
                return CpuReading{48.5, State::Fair};
            },
            {}, std::chrono::hours(1));
        QSignalSpy temperature(&monitor, &CpuTemperatureMonitor::cpuTempChanged);
        QVERIFY(monitor.cpuTempValue().isNull());
        monitor.refreshCPUTemp();
        QVERIFY(temperature.wait());
        QCOMPARE(monitor.cpuTemp(), std::optional<double>(48.5));
        QCOMPARE(monitor.cpuTempValue().toDouble(), 48.5);
        QCOMPARE(monitor.cpuThermalState(), State::Fair);
    }

    void absentReadingClearsTheTemperature()
    {
        std::atomic<bool> hasSensor{true};
        CpuTemperatureMonitor monitor(
            [&hasSensor]() {
                return hasSensor ? CpuReading{50.0, std::nullopt} : CpuReading{std::nullopt, std::nullopt};
            },
            {}, std::chrono::hours(1));
        QSignalSpy temperature(&monitor, &CpuTemperatureMonitor::cpuTempChanged);
        monitor.refreshCPUTemp();
        QVERIFY(temperature.wait());
        hasSensor = false;
        monitor.refreshCPUTemp();
        QVERIFY(temperature.wait());
        QVERIFY(!monitor.cpuTemp());
        QVERIFY(monitor.cpuTempValue().isNull());
    }

    void probeStateIsPublishedAtOnce()
    {
        QSemaphore release;
        CpuTemperatureMonitor monitor(
            [&release]() {
                release.acquire();
                return CpuReading{40.0, std::nullopt};
            },
            []() { return std::optional<State>(State::Critical); }, std::chrono::hours(1));
        monitor.refreshCPUTemp();
        // The sensor read is still blocked; the state is there already.
        QCOMPARE(monitor.cpuThermalState(), State::Critical);
        QVERIFY(!monitor.cpuTemp());
        release.release();
        QTRY_COMPARE(monitor.cpuTemp(), std::optional<double>(40.0));
    }

    void anOvertakenReadIsDropped()
    {
        QSemaphore firstMayFinish;
        std::atomic<int> calls{0};
        CpuTemperatureMonitor monitor(
            [&]() {
                if (++calls == 1) {
                    firstMayFinish.acquire();
                    return CpuReading{30.0, std::nullopt};
                }
                return CpuReading{60.0, std::nullopt};
            },
            {}, std::chrono::hours(1));
        QSignalSpy temperature(&monitor, &CpuTemperatureMonitor::cpuTempChanged);
        monitor.refreshCPUTemp();
        QTRY_COMPARE(calls.load(), 1);
        monitor.refreshCPUTemp();
        QVERIFY(temperature.wait());
        QCOMPARE(monitor.cpuTemp(), std::optional<double>(60.0));
        firstMayFinish.release();
        QThreadPool::globalInstance()->waitForDone();
        // The first read finished last, yet the newer value stands.
        QCoreApplication::processEvents();
        QCOMPARE(monitor.cpuTemp(), std::optional<double>(60.0));
        QCOMPARE(temperature.count(), 1);
    }

    void startRefreshingRepeats()
    {
        auto reads = std::make_shared<std::atomic<int>>(0);
        CpuTemperatureMonitor monitor(
            [reads]() {
                const int count = ++*reads;
                return CpuReading{20.0 + count, std::nullopt};
            },
            {}, std::chrono::milliseconds(20));
        QSignalSpy temperature(&monitor, &CpuTemperatureMonitor::cpuTempChanged);
        monitor.startRefreshing();
        QTRY_VERIFY(temperature.count() >= 3);
        QVERIFY(*monitor.cpuTemp() > 22.0);
    }

    void cleanup() { QThreadPool::globalInstance()->waitForDone(); }
};

QTEST_GUILESS_MAIN(CpuSensorTest)
#include "tst_cpusensor.moc"
