// The macOS side of the CPU sensor: the SMC temperature and the process-information thermal state.
// Compiled on Apple platforms only.
#include "sensors/CpuSensor.h"

#import <Foundation/Foundation.h>

CpuReading readCpuSensor()
{
    return {smcReadCPUTemp(), std::nullopt};
}

std::optional<Thermal::State> processThermalState()
{
    switch ([[NSProcessInfo processInfo] thermalState]) {
    case NSProcessInfoThermalStateNominal:
        return Thermal::State::Nominal;
    case NSProcessInfoThermalStateFair:
        return Thermal::State::Fair;
    case NSProcessInfoThermalStateSerious:
        return Thermal::State::Serious;
    case NSProcessInfoThermalStateCritical:
        return Thermal::State::Critical;
    }
    return Thermal::State::Nominal;
}
