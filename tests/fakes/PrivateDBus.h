#pragma once

#include <QProcess>
#include <QString>

// A private dbus-daemon for one test, so D-Bus clients and fake services meet without the user's bus.
class PrivateDBus
{
public:
    PrivateDBus();
    ~PrivateDBus();

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};
