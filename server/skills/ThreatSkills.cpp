#include "skills/SkillGroups.h"
#include "skills/threats/ClipboardWatchers.h"
#include "skills/threats/DnsLeakCheck.h"
#include "skills/threats/KeyloggerScan.h"
#include "skills/threats/ProcessAudit.h"
#include "skills/threats/RootkitScan.h"
#include "skills/threats/SnifferScan.h"

namespace {

ToolCall ipLinks()
{
    return {QStringLiteral("ip"),
            {QStringLiteral("-j"), QStringLiteral("-d"), QStringLiteral("link"), QStringLiteral("show")}};
}

} // namespace

QList<Skill> SkillGroups::threats()
{
    return {
        {QStringLiteral("rootkit-scanner"), {}, &RootkitScan::report, {}},
        {QStringLiteral("keylogger-detector"), {}, &KeyloggerScan::report, {}},
        {QStringLiteral("network-sniff-detector"),
         {{QStringLiteral("links"), ipLinks()}},
         &SnifferScan::report,
         {}},
        {QStringLiteral("dns-leak-test"),
         {{QStringLiteral("dns"), {QStringLiteral("resolvectl"), {QStringLiteral("dns")}}},
          {QStringLiteral("domains"), {QStringLiteral("resolvectl"), {QStringLiteral("domain")}}},
          {QStringLiteral("links"), ipLinks()}},
         &DnsLeakCheck::report,
         &DnsLeakCheck::routeCalls},
        {QStringLiteral("clipboard-monitor"), {}, &ClipboardWatchers::report, {}},
        {QStringLiteral("process-list"), {}, &ProcessAudit::report, {}},
    };
}
