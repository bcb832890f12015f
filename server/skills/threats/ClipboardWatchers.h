#pragma once

#include "skills/Skill.h"

// Programs that watch the clipboard see every password copied from a password manager. Clipboard
// managers do it on purpose and are named; any other watcher is reported.
namespace ClipboardWatchers {

QString report(const SkillInput& input);

} // namespace ClipboardWatchers
