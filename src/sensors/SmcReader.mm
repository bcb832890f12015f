// The system management controller through IOKit. Compiled on Apple platforms only.
#include "sensors/CpuSensor.h"
#include "sensors/SmcRecord.h"
#include "sensors/SmcValue.h"

#include <QString>
#include <QStringList>

#include <IOKit/IOKitLib.h>
#include <mach/mach.h>

namespace {

bool callSmc(io_connect_t connection, const SmcParamRecord& input, SmcParamRecord& output)
{
    size_t outputSize = sizeof(SmcParamRecord);
    const kern_return_t status = IOConnectCallStructMethod(connection, SmcCommand::selector, &input,
                                                           sizeof(SmcParamRecord), &output, &outputSize);
    return status == KERN_SUCCESS && output.result == 0;
}

} // namespace

std::optional<double> smcKey(const QString& key, io_connect_t connection)
{
    const std::optional<quint32> code = SmcValue::keyCode(key);
    if (!code)
        return std::nullopt;
    SmcParamRecord info;
    if (!callSmc(connection, smcKeyInfoRequest(*code), info))
        return std::nullopt;
    SmcParamRecord value;
    if (!callSmc(connection, smcReadRequest(*code, info.dataSize), value))
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const char*>(value.bytes);
    return SmcValue::decode(SmcValue::codeText(info.dataType), QByteArrayView(bytes, sizeof(value.bytes)));
}

std::optional<double> smcReadCPUTemp()
{
    const io_service_t service =
        IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSMC"));
    if (service == 0)
        return std::nullopt;
    io_connect_t connection = 0;
    if (IOServiceOpen(service, mach_task_self(), 0, &connection) != KERN_SUCCESS) {
        IOObjectRelease(service);
        return std::nullopt;
    }
    std::optional<double> accepted;
    for (const char* key : {"TC0P", "TC0D", "TC0E", "Tp09", "Tp01", "TaLP", "Tp0P"}) {
        const std::optional<double> value = smcKey(QString::fromLatin1(key), connection);
        if (value && SmcValue::isValidCpuTemperature(*value)) {
            accepted = value;
            break;
        }
    }
    IOServiceClose(connection);
    IOObjectRelease(service);
    return accepted;
}
