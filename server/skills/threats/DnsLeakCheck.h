#pragma once

#include "skills/Skill.h"

// While a VPN is up, every DNS question should travel through it; a DNS server reached through
// another interface tells the local network (or the provider) every name this machine looks up.
// First calls: "dns" (resolvectl dns), "domains" (resolvectl domain), "links" (ip -j -d link show);
// then one "route:<server>" (ip -j route get <server>) per server.
namespace DnsLeakCheck {

QStringList servers(const SkillInput& input);
ToolCalls routeCalls(const SkillInput& input);
QString report(const SkillInput& input);

} // namespace DnsLeakCheck
