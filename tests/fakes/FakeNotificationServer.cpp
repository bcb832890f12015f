#include "fakes/FakeNotificationServer.h"

bool FakeNotificationServer::registerOn(const QString& address)
{
    QDBusConnection connection =
        QDBusConnection::connectToBus(address, QStringLiteral("fake-notification-server"));
    return connection.registerService(QStringLiteral("org.freedesktop.Notifications")) &&
           connection.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                     QDBusConnection::ExportAllSlots);
}

uint FakeNotificationServer::Notify(const QString& appName, uint replacesId, const QString&,
                                    const QString& summary, const QString& body, const QStringList& actions,
                                    const QVariantMap&, int timeout)
{
    m_notices.append({appName, replacesId, summary, body, actions, timeout});
    return uint(m_notices.size());
}
