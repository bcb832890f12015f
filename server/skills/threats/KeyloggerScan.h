#pragma once

#include "skills/Skill.h"

// Programs that read keyboards directly from /dev/input, beside the display server and the login
// manager, see every key typed in every application: that is how a keylogger works under Linux.
namespace KeyloggerScan {

QString report(const SkillInput& input);

} // namespace KeyloggerScan
