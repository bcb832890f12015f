#include "app/DesktopSession.h"

#include <QStringList>

#include <algorithm>

namespace DesktopSession {
namespace {

bool isGnome(const QString& currentDesktop)
{
    const QStringList desktops = currentDesktop.split(u':', Qt::SkipEmptyParts);
    return std::any_of(desktops.begin(), desktops.end(), [](const QString& desktop) {
        return desktop.compare(u"GNOME", Qt::CaseInsensitive) == 0;
    });
}

} // namespace

Environment Environment::current()
{
    return {qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariable("XDG_SESSION_TYPE"),
            qEnvironmentVariable("XDG_CURRENT_DESKTOP"), qEnvironmentVariable("DISPLAY")};
}

QString preferredPlatform(const Environment& environment)
{
    if (!environment.qpaPlatform.isEmpty())
        return {};
    if (environment.sessionType == u"wayland" && isGnome(environment.currentDesktop) &&
        !environment.display.isEmpty())
        return QStringLiteral("xcb");
    return {};
}

bool usesStatusNotifier(const Environment& environment, const QString& platformName)
{
    return platformName.startsWith(u"wayland") || environment.sessionType == u"wayland";
}

} // namespace DesktopSession
