#pragma once

#include <QString>

// Where the skills read the system: /proc, /sys and /dev (movable through HALVEX_PROC_ROOT,
// HALVEX_SYS_ROOT and HALVEX_DEV_ROOT), the user's home and the temporary directory.
struct HostPaths
{
    QString proc;
    QString sys;
    QString dev;
    QString home;
    QString temp;

    static HostPaths current();
};
