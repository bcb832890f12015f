#pragma once

#include "skills/Skill.h"

// The busiest processes, and processes that run the way malware does: from memory only, from a
// temporary directory, or disguised as a kernel thread.
namespace ProcessAudit {

QString report(const SkillInput& input);

} // namespace ProcessAudit
