#pragma once

#include "platform/Notifier.h"

#include <QDBusConnection>
#include <QHash>

// org.freedesktop.Notifications on the session bus: summary = title, the body, no actions.
class DBusNotifier : public Notifier
{
public:
    explicit DBusNotifier(QDBusConnection connection = QDBusConnection::sessionBus());

    void notify(const QString& title, const QString& body, const QString& identifier) override;

private:
    QDBusConnection m_connection;
};
