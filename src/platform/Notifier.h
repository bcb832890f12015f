#pragma once

#include <QString>

#include <memory>

// Local notices ("📷 Camera Access" …). One back end per platform: the freedesktop Notifications
// service on Linux, UserNotifications inside a macOS bundle, osascript for a bare macOS binary.
class Notifier
{
public:
    virtual ~Notifier() = default;

    // Asks once for permission to show notices; answers are ignored.
    virtual void requestAuthorization() {}
    // Shows a notice at once; `identifier` replaces an earlier notice with the same identifier.
    virtual void notify(const QString& title, const QString& body, const QString& identifier) = 0;

    static std::unique_ptr<Notifier> createForPlatform();
};
