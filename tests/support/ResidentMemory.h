#pragma once

#include <QtGlobal>

// A process's resident set in KiB, from /proc/<pid>/status; -1 when it cannot be read.
qint64 residentKilobytes(qint64 pid);
