#include "app/AppNotifications.h"

AppNotifications& AppNotifications::instance()
{
    static AppNotifications center;
    return center;
}

void AppNotifications::post(const QString& name)
{
    if (name == QLatin1String(showOnboarding))
        Q_EMIT showOnboardingPosted();
    else if (name == QLatin1String(onboardingDone))
        Q_EMIT onboardingDonePosted();
}
