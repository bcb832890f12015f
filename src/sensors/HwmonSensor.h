#pragma once

#include "sensors/CpuSensor.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The CPU temperature from Linux sysfs, in this order of preference: the coretemp package sensor,
// the k10temp die sensor (Tdie, else Tctl), then the first x86_pkg_temp or cpu* thermal zone. The
// first candidate with a value inside the valid range wins; its own max and critical trip points
// give the thermal state.
namespace HwmonSensor {

CpuReading read(const QString& sysRoot);

// A sysfs temperature ("48000\n", millidegrees Celsius) in degrees; absent for anything else.
std::optional<double> parseMillidegrees(QByteArrayView text);

} // namespace HwmonSensor
