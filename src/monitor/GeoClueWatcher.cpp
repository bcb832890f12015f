#include "monitor/GeoClueWatcher.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QRegularExpression>

const QString GeoClueWatcher::serviceName = QStringLiteral("org.freedesktop.GeoClue2");
const QString GeoClueWatcher::managerPath = QStringLiteral("/org/freedesktop/GeoClue2/Manager");
const QString GeoClueWatcher::managerInterface = QStringLiteral("org.freedesktop.GeoClue2.Manager");

const QString GeoClueWatcher::clientInterface = QStringLiteral("org.freedesktop.GeoClue2.Client");
const QString GeoClueWatcher::clientsPath = QStringLiteral("/org/freedesktop/GeoClue2/Client");

namespace {
constexpr int callTimeoutMs = 2000;
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString inUseProperty = QStringLiteral("InUse");
} // namespace

GeoClueWatcher::GeoClueWatcher(QDBusConnection bus, QObject* parent)
    : DeviceWatcherPart(parent), m_bus(std::move(bus))
{
}

GeoClueWatcher::~GeoClueWatcher()
{
    stop();
}

void GeoClueWatcher::start()
{
    if (m_running)
        return;
    if (!m_bus.isConnected()) {
        Q_EMIT unavailable(QStringLiteral("system bus: ") + m_bus.lastError().message());
        return;
    }
    m_running = true;
    ++m_session;
    m_bus.connect(serviceName, managerPath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                  SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    m_serviceWatcher = new QDBusServiceWatcher(
        serviceName, m_bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceRegistered, this, &GeoClueWatcher::readInUse);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, [this]() { setInUse(false); });
    readInUse();
}

void GeoClueWatcher::stop()
{
    if (!m_running)
        return;
    m_running = false;
    ++m_session;
    m_bus.disconnect(serviceName, managerPath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                     SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    delete m_serviceWatcher;
    m_serviceWatcher = nullptr;
    // InUse stays as last seen: a session still using location when watching resumes is no new access.
}

void GeoClueWatcher::readInUse()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(serviceName, managerPath, propertiesInterface, QStringLiteral("Get"));
    call << managerInterface << inUseProperty;
    // Asking must not start GeoClue: a service that is not running is not in use.
    call.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 5000), this);
    const quint64 session = m_session;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, session]() {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *watcher;
        if (session != m_session || reply.isError())
            return;
        setInUse(reply.value().variant().toBool());
    });
}

void GeoClueWatcher::onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                         const QStringList& invalidated)
{
    if (!m_running || interface != managerInterface)
        return;
    if (changed.contains(inUseProperty))
        setInUse(changed.value(inUseProperty).toBool());
    else if (invalidated.contains(inUseProperty))
        readInUse();
}

void GeoClueWatcher::setInUse(bool inUse)
{
    if (!m_running)
        return;
    const bool turnedOn = inUse && !m_inUse;
    m_inUse = inUse;
    if (turnedOn)
        reportClients();
    else
        Q_EMIT inUseUpdated(inUse);
}

// GeoClue keeps one object per client under clientsPath; the introspection data lists them.
void GeoClueWatcher::reportClients()
{
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, clientsPath,
                                                       QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                                       QStringLiteral("Introspect"));
    call.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMs), this);
    const quint64 session = m_session;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, session]() {
        watcher->deleteLater();
        if (session != m_session)
            return;
        const QDBusPendingReply<QString> reply = *watcher;
        QStringList paths;
        if (!reply.isError()) {
            static const QRegularExpression node(QStringLiteral(R"re(<node\s+name="([^"/]+)")re"));
            for (const QRegularExpressionMatch& match : node.globalMatch(reply.value()))
                paths.append(clientsPath + QLatin1Char('/') + match.captured(1));
        }
        readClients(paths, {});
    });
}

void GeoClueWatcher::readClients(const QStringList& paths, QStringList names)
{
    if (paths.isEmpty()) {
        reportNames(names);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, paths.first(), propertiesInterface,
                                                       QStringLiteral("GetAll"));
    call << clientInterface;
    call.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMs), this);
    const quint64 session = m_session;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, session, paths, names]() mutable {
                watcher->deleteLater();
                if (session != m_session)
                    return;
                const QDBusPendingReply<QVariantMap> reply = *watcher;
                if (!reply.isError() && reply.value().value(QStringLiteral("Active")).toBool()) {
                    const QString desktopId =
                        reply.value().value(QStringLiteral("DesktopId")).toString().trimmed();
                    if (!desktopId.isEmpty()) {
                        const QString name = m_namer ? m_namer(desktopId) : desktopId;
                        if (!names.contains(name))
                            names.append(name);
                    }
                }
                readClients(paths.mid(1), names);
            });
}

void GeoClueWatcher::reportNames(const QStringList& names)
{
    if (!m_running)
        return;
    const QString details = QStringLiteral("Location service in use (GeoClue)");
    if (names.isEmpty())
        Q_EMIT accessDetected(QStringLiteral("location"), QStringLiteral("Unknown App"), details);
    for (const QString& name : names)
        Q_EMIT accessDetected(QStringLiteral("location"), name, details);
    Q_EMIT inUseUpdated(m_inUse);
}
