#include "sensors/CpuTemperatureMonitor.h"

#include <QFutureWatcher>
#include <QtConcurrent>

CpuTemperatureMonitor::CpuTemperatureMonitor(QObject* parent)
    : CpuTemperatureMonitor(&readCpuSensor, &processThermalState, defaultInterval, parent)
{
}

CpuTemperatureMonitor::CpuTemperatureMonitor(Reader reader, StateProbe probe,
                                             std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent), m_reader(std::move(reader)), m_probe(std::move(probe))
{
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &CpuTemperatureMonitor::refreshCPUTemp);
}

QVariant CpuTemperatureMonitor::cpuTempValue() const
{
    return m_cpuTemp ? QVariant(*m_cpuTemp) : QVariant();
}

void CpuTemperatureMonitor::startRefreshing()
{
    refreshCPUTemp();
    if (!m_timer.isActive())
        m_timer.start();
}

void CpuTemperatureMonitor::refreshCPUTemp()
{
    if (m_probe) {
        if (const std::optional<Thermal::State> state = m_probe())
            setThermalState(*state);
    }
    // Reads may overlap (the timer and a first call); the one started last is the one published.
    const quint64 read = ++m_latestRead;
    auto* watcher = new QFutureWatcher<CpuReading>(this);
    connect(watcher, &QFutureWatcher<CpuReading>::finished, this, [this, watcher, read]() {
        watcher->deleteLater();
        if (read == m_latestRead)
            publish(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(m_reader));
}

void CpuTemperatureMonitor::publish(const CpuReading& reading)
{
    if (reading.thermalState)
        setThermalState(*reading.thermalState);
    if (m_cpuTemp == reading.celsius)
        return;
    m_cpuTemp = reading.celsius;
    Q_EMIT cpuTempChanged();
}

void CpuTemperatureMonitor::setThermalState(Thermal::State state)
{
    if (m_thermalStateKnown && m_thermalState == state)
        return;
    m_thermalStateKnown = true;
    m_thermalState = state;
    Q_EMIT cpuThermalStateChanged();
}
