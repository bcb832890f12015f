// The Linux side of the CPU sensor: hwmon and thermal zones under the sysfs root. macOS builds use
// SmcReader.mm and MacCpuSensor.mm instead.
#include <QtGlobal>

#ifndef Q_OS_MACOS

#include "platform/SystemRoots.h"
#include "sensors/CpuSensor.h"
#include "sensors/HwmonSensor.h"

std::optional<double> smcReadCPUTemp()
{
    return HwmonSensor::read(SystemRoots::sysRoot()).celsius;
}

CpuReading readCpuSensor()
{
    return HwmonSensor::read(SystemRoots::sysRoot());
}

std::optional<Thermal::State> processThermalState()
{
    return std::nullopt;
}

#endif
