#include "app/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>

#include <unistd.h>

namespace {

QString lockFilePath()
{
    QString directory = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (directory.isEmpty() || !QDir(directory).exists())
        return QDir::tempPath() + QStringLiteral("/halvex-%1.lock").arg(::getuid());
    return directory + QStringLiteral("/halvex.lock");
}

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (m_ownsName)
        bus.unregisterService(QLatin1String(serviceName));
    if (bus.isConnected() && bus.objectRegisteredAt(QLatin1String(objectPath)) == this)
        bus.unregisterObject(QLatin1String(objectPath));
}

SingleInstance::Role SingleInstance::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return claimLockFile();
    // The object is in place before the name is taken, so a launch that sees the name can call it. It
    // stays registered after a failed claim, for a later one.
    const QString path = QLatin1String(objectPath);
    if (bus.objectRegisteredAt(path) != this &&
        !bus.registerObject(path, this, QDBusConnection::ExportScriptableSlots))
        return Role::Secondary;
    const auto reply = bus.interface()->registerService(QLatin1String(serviceName),
                                                        QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_ownsName = true;
        return Role::Primary;
    }
    return Role::Secondary;
}

SingleInstance::Role SingleInstance::claimLockFile()
{
    m_lock = std::make_unique<QLockFile>(lockFilePath());
    // A lock left by a crashed instance names a process that is gone: QLockFile takes it over.
    if (m_lock->tryLock(0))
        return Role::Primary;
    m_lock.reset();
    return Role::Secondary;
}

bool SingleInstance::ask(Request request)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString method =
        request == Request::Dashboard ? QStringLiteral("ShowDashboard") : QStringLiteral("ShowPanel");
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(serviceName), QLatin1String(objectPath),
                                                       QLatin1String(serviceName), method);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::ShowPanel()
{
    Q_EMIT panelRequested();
}

void SingleInstance::ShowDashboard()
{
    Q_EMIT dashboardRequested();
}
