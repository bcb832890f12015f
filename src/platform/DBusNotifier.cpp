#include "platform/DBusNotifier.h"

#include <QDBusMessage>
#include <QVariantMap>

DBusNotifier::DBusNotifier(QDBusConnection connection) : m_connection(std::move(connection)) {}

void DBusNotifier::notify(const QString& title, const QString& body, const QString&)
{
    if (!m_connection.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Halvex") << uint(0) << QString() << title << body << QStringList()
         << QVariantMap() << int(-1);
    // Fire and forget: the main thread never waits for the notification server.
    m_connection.call(call, QDBus::NoBlock);
}
