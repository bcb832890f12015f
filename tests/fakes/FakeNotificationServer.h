#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// org.freedesktop.Notifications on a test bus: records every Notify call.
class FakeNotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notice
    {
        QString appName;
        uint replacesId = 0;
        QString summary;
        QString body;
        QStringList actions;
        int timeout = 0;
    };

    // Registers the service on its own connection to `address`; false when the bus refused it.
    bool registerOn(const QString& address);
    const QList<Notice>& notices() const { return m_notices; }

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout);

private:
    QList<Notice> m_notices;
};
