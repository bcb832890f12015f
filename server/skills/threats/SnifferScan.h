#pragma once

#include "skills/Skill.h"

// Something that sees the traffic of other programs: an interface in promiscuous mode (outside a
// bridge, where it is normal), a capture tool, or an unknown program holding a packet socket that
// receives every protocol. Needs the output of `ip -j -d link show` under the key "links".
namespace SnifferScan {

QString report(const SkillInput& input);

} // namespace SnifferScan
