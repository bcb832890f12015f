#include "sensors/ThermalState.h"

namespace Thermal {
namespace {

// A trip point that the driver reports as zero, negative or absurdly high says nothing.
std::optional<double> plausible(std::optional<double> celsius)
{
    if (celsius && *celsius > 0.0 && *celsius < 200.0)
        return celsius;
    return std::nullopt;
}

} // namespace

State stateFor(double celsius, std::optional<double> maxCelsius, std::optional<double> criticalCelsius)
{
    const std::optional<double> critical = plausible(criticalCelsius);
    std::optional<double> serious = plausible(maxCelsius);
    // A max point at or above the critical one (some drivers report both as TjMax) is no earlier step.
    if (critical && (!serious || *serious >= *critical))
        serious = *critical - fairBand;

    if (critical && celsius >= *critical)
        return State::Critical;
    if (serious && celsius >= *serious)
        return State::Serious;
    if (serious && celsius >= *serious - fairBand)
        return State::Fair;
    return State::Nominal;
}

} // namespace Thermal
