#pragma once

#include "skills/Skill.h"

#include <QList>

#include <functional>

// Traces kernel and user-space rootkits leave: processes that exist but are hidden from /proc, files
// and kernel modules of known rootkits, a global preload library, and a kernel tainted by forced
// module loading.
namespace RootkitScan {

using ProcessExists = std::function<bool(qint64 pid)>;

// Ids that exist according to `exists` but that no listing of /proc shows (as a process or as a
// thread), checked twice so that processes starting or ending during the scan are not reported.
QList<qint64> hiddenProcesses(const QString& procRoot, const ProcessExists& exists, qint64 highestId);

QString report(const SkillInput& input);

} // namespace RootkitScan
