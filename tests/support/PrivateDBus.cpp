#include "support/PrivateDBus.h"

PrivateDBus::PrivateDBus()
{
    m_daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                   QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(5000))
        return;
    // The daemon prints its address on one line once it listens.
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateDBus::~PrivateDBus()
{
    for (const QString& name : m_connectionNames)
        QDBusConnection::disconnectFromBus(name);
    m_daemon.kill();
    m_daemon.waitForFinished(5000);
}

QDBusConnection PrivateDBus::connect(const QString& name) const
{
    const_cast<PrivateDBus*>(this)->m_connectionNames.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}
