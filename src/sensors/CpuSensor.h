#pragma once

#include "sensors/ThermalState.h"

#include <optional>

// One reading of the CPU sensor: the temperature in degrees Celsius (absent when no sensor gave a
// value inside the valid range) and, where the operating system derives it from the same sensor, the
// thermal state.
struct CpuReading
{
    std::optional<double> celsius;
    std::optional<Thermal::State> thermalState;
};

// The CPU temperature: from the system management controller on macOS, from the hwmon sensors or
// thermal zones on Linux. Blocking; called only off the main thread.
std::optional<double> smcReadCPUTemp();

// The temperature with the thermal state that goes with it (Linux derives the state from the
// sensor; macOS leaves it to processThermalState()). Blocking; off the main thread.
CpuReading readCpuSensor();

// The operating system's own thermal state, cheap enough for the main thread; absent where the
// operating system has no such service.
std::optional<Thermal::State> processThermalState();
