#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>

// A private dbus-daemon for one test: a bus of its own that stands in for the system bus, so fake
// services can own well-known names on it.
class PrivateDBus
{
public:
    PrivateDBus();
    ~PrivateDBus();

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }
    // A new connection to the bus under a name of its own (one per client in a test).
    QDBusConnection connect(const QString& name) const;

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_connectionNames;
};
