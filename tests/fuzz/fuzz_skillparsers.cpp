#include "FuzzText.h"
#include "skills/parsers/AptUpgrades.h"
#include "skills/parsers/AudioCapture.h"
#include "skills/parsers/BrowserExtensions.h"
#include "skills/parsers/DesktopEntry.h"
#include "skills/parsers/DiskFree.h"
#include "skills/parsers/FirewallRules.h"
#include "skills/parsers/InputDevices.h"
#include "skills/parsers/IpLinks.h"
#include "skills/parsers/KernelTaint.h"
#include "skills/parsers/LoginRecords.h"
#include "skills/parsers/PacketSockets.h"
#include "skills/parsers/ProcessTable.h"
#include "skills/parsers/ResolverConfig.h"
#include "skills/parsers/SocketTable.h"
#include "skills/parsers/TextFields.h"
#include "skills/parsers/UnitFiles.h"

#include <fuzzer/FuzzedDataProvider.h>

// The output of every tool and file the built-in skills read. Each parser sees the same text: outputs
// that look like one tool's often reach another's corner cases.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    const quint64 mask = provider.ConsumeIntegral<quint64>();
    const QByteArray second = QByteArray::fromStdString(provider.ConsumeRandomLengthString(256));
    const QByteArray raw = QByteArray::fromStdString(provider.ConsumeRemainingBytesAsString());
    const QString text = QString::fromUtf8(raw);

    (void)AptUpgrades::parse(text);
    (void)AudioCapture::parsePactlSourceOutputs(text);
    (void)AudioCapture::parseAlsaStatus(text);
    (void)BrowserExtensions::parseFirefox(raw);
    (void)BrowserExtensions::chromiumName(raw, second);
    (void)BrowserExtensions::chromiumDefaultLocale(raw);
    (void)DesktopEntry::parse(text);
    (void)DiskFree::parse(text);
    (void)FirewallSummary::fromNftRuleset(text);
    (void)FirewallSummary::fromIptables(text);
    (void)InputDevices::parse(text);
    (void)IpLinks::parse(text);
    (void)IpLinks::routeDevice(text);
    (void)KernelTaint::reasons(mask);
    (void)KernelTaint::hasModuleWarnings(mask);
    (void)LoginRecords::parse(text);
    (void)PacketSockets::parse(text);
    if (const std::optional<ProcessTable::Process> process = ProcessTable::parseStat(text))
        (void)ProcessTable::cpuPercent(*process, double(mask % 100000) / 7.0, long(mask % 1000));
    (void)ResolverConfig::parseResolvectlDns(text);
    (void)ResolverConfig::parseResolvectlDomains(text);
    for (const QString& server : ResolverConfig::parseResolvConf(text))
        (void)ResolverConfig::isLocalStub(server);
    for (const SocketTable::Socket& socket : SocketTable::parse(text))
        (void)socket;
    QString address;
    QString port;
    SocketTable::splitEndpoint(QString::fromUtf8(second), address, port);
    (void)TextFields::colonSeparated(text);
    (void)TextFields::assignments(text);
    (void)TextFields::leadingNumber(text);
    (void)TextFields::splitTerse(text);
    (void)TextFields::meaningfulLines(text);
    (void)UnitFiles::enabledUnits(text);
    return 0;
}
