#include "skills/HostPaths.h"

#include <QDir>

namespace {

QString rootFromEnvironment(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

} // namespace

HostPaths HostPaths::current()
{
    return {rootFromEnvironment("HALVEX_PROC_ROOT", QStringLiteral("/proc")),
            rootFromEnvironment("HALVEX_SYS_ROOT", QStringLiteral("/sys")),
            rootFromEnvironment("HALVEX_DEV_ROOT", QStringLiteral("/dev")), QDir::homePath(),
            QDir::tempPath()};
}
