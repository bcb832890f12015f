#include "platform/DBusNotifier.h"
#include "platform/Notifier.h"
#include "platform/OsascriptNotifier.h"
#include "platform/Platform.h"

#ifdef Q_OS_MACOS
#include "platform/UserNotificationsNotifier.h"
#endif

std::unique_ptr<Notifier> Notifier::createForPlatform()
{
    if (Platform::isLinux())
        return std::make_unique<DBusNotifier>();
#ifdef Q_OS_MACOS
    if (Platform::isBundled())
        return std::make_unique<UserNotificationsNotifier>();
#endif
    return std::make_unique<OsascriptNotifier>();
}
