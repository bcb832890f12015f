#include "platform/SystemRoots.h"

#include <QDir>

namespace SystemRoots {
namespace {

QString rootFromEnvironment(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? fallback : QDir::cleanPath(QDir(value).absolutePath());
}

} // namespace

QString procRoot()
{
    return rootFromEnvironment("HALVEX_PROC_ROOT", QStringLiteral("/proc"));
}

QString devRoot()
{
    return rootFromEnvironment("HALVEX_DEV_ROOT", QStringLiteral("/dev"));
}

QString sysRoot()
{
    return rootFromEnvironment("HALVEX_SYS_ROOT", QStringLiteral("/sys"));
}

} // namespace SystemRoots
