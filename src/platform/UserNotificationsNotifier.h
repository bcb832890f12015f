#pragma once

#include "platform/Notifier.h"

// UserNotifications, for the application running from its bundle (built on Apple platforms only).
class UserNotificationsNotifier : public Notifier
{
public:
    void requestAuthorization() override;
    void notify(const QString& title, const QString& body, const QString& identifier) override;
};
