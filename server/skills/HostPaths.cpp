#include "skills/HostPaths.h"

#include "platform/SystemRoots.h"

#include <QDir>

HostPaths HostPaths::current()
{
    return {SystemRoots::procRoot(), SystemRoots::sysRoot(), SystemRoots::devRoot(), QDir::homePath(),
            QDir::tempPath()};
}
