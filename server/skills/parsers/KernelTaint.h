#pragma once

#include <QStringList>

// What /proc/sys/kernel/tainted says about the running kernel: one reason per set bit.
namespace KernelTaint {

QStringList reasons(quint64 mask);
// Whether a module was forced in or out: what loading a module against the kernel's checks leaves.
bool hasModuleWarnings(quint64 mask);

} // namespace KernelTaint
