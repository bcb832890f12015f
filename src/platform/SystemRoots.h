#pragma once

#include <QString>

// Where the Linux sources and sensors find /proc, /dev and /sys. HALVEX_PROC_ROOT, HALVEX_DEV_ROOT and
// HALVEX_SYS_ROOT move them, so tests can run against a fake tree.
namespace SystemRoots {

QString procRoot();
QString devRoot();
QString sysRoot();

} // namespace SystemRoots
