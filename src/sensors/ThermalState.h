#pragma once

#include <QObject>

#include <optional>

namespace Thermal {
Q_NAMESPACE

// The machine's thermal pressure, in the operating system's four steps.
enum class State { Nominal, Fair, Serious, Critical };
Q_ENUM_NS(State)

// Linux has no thermal-state service: the state is derived from the CPU temperature against the
// sensor's own trip points. At or above the critical point: critical; at or above the max (high)
// point: serious; within fairBand degrees below it: fair. A sensor with only a critical point gets
// its serious step fairBand degrees below it; a sensor with neither point stays nominal.
inline constexpr double fairBand = 10.0;
State stateFor(double celsius, std::optional<double> maxCelsius, std::optional<double> criticalCelsius);

} // namespace Thermal
