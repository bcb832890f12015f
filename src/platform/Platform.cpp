#include "platform/Platform.h"

#include <QDir>
#include <QSysInfo>

#ifdef Q_OS_MACOS
#include <CoreFoundation/CoreFoundation.h>
#endif

namespace Platform {

Kind current()
{
    const QString forced = qEnvironmentVariable("HALVEX_PLATFORM").toLower();
    if (forced == QLatin1String("macos"))
        return Kind::MacOS;
    if (forced == QLatin1String("linux"))
        return Kind::Linux;
#ifdef Q_OS_MACOS
    return Kind::MacOS;
#else
    return Kind::Linux;
#endif
}

bool isMacOS()
{
    return current() == Kind::MacOS;
}

bool isLinux()
{
    return current() == Kind::Linux;
}

bool isBundled()
{
#ifdef Q_OS_MACOS
    CFBundleRef bundle = CFBundleGetMainBundle();
    return bundle && CFBundleGetIdentifier(bundle);
#else
    return false;
#endif
}

QString dataDirectory()
{
    return QDir::homePath() + QStringLiteral("/.halvex");
}

QString prettyOSName()
{
    return QSysInfo::prettyProductName();
}

} // namespace Platform
