#pragma once

#include "sensors/CpuSensor.h"
#include "sensors/ThermalState.h"

#include <QObject>
#include <QTimer>
#include <QVariant>

#include <chrono>
#include <functional>
#include <optional>

// The CPU temperature and thermal state that the status-bar panel shows. A refresh publishes the
// operating system's thermal state at once (where there is such a service) and the temperature when
// the blocking sensor read, run off the main thread, completes.
class CpuTemperatureMonitor : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariant cpuTemp READ cpuTempValue NOTIFY cpuTempChanged)
    Q_PROPERTY(Thermal::State cpuThermalState READ cpuThermalState NOTIFY cpuThermalStateChanged)
public:
    using Reader = std::function<CpuReading()>;
    using StateProbe = std::function<std::optional<Thermal::State>()>;
    static constexpr std::chrono::milliseconds defaultInterval{std::chrono::seconds(30)};

    explicit CpuTemperatureMonitor(QObject* parent = nullptr);
    // For tests: their own sensor, thermal-state service and refresh interval.
    CpuTemperatureMonitor(Reader reader, StateProbe probe, std::chrono::milliseconds interval,
                          QObject* parent = nullptr);

    std::optional<double> cpuTemp() const { return m_cpuTemp; }
    // The temperature for views: null when absent.
    QVariant cpuTempValue() const;
    Thermal::State cpuThermalState() const { return m_thermalState; }
    // Whether a thermal state was measured at all: the system's service or the sensor gave one. With
    // neither, the nominal state above is only the default.
    bool hasThermalState() const { return m_thermalStateKnown; }

    Q_INVOKABLE void refreshCPUTemp();
    // Refreshes now and then every interval; calling it again keeps the one timer.
    Q_INVOKABLE void startRefreshing();

Q_SIGNALS:
    void cpuTempChanged();
    void cpuThermalStateChanged();

private:
    void publish(const CpuReading& reading);
    void setThermalState(Thermal::State state);

    Reader m_reader;
    StateProbe m_probe;
    QTimer m_timer;
    std::optional<double> m_cpuTemp;
    Thermal::State m_thermalState = Thermal::State::Nominal;
    bool m_thermalStateKnown = false;
    quint64 m_latestRead = 0;
};
