#include "fakes/FakeGeoClueManager.h"

#include <QDBusMessage>
#include <QVariantMap>

namespace {
const QString service = QStringLiteral("org.freedesktop.GeoClue2");
const QString path = QStringLiteral("/org/freedesktop/GeoClue2/Manager");
const QString interface = QStringLiteral("org.freedesktop.GeoClue2.Manager");
} // namespace

FakeGeoClueManager::FakeGeoClueManager(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus))
{
}

FakeGeoClueManager::~FakeGeoClueManager()
{
    unregisterFromBus();
}

bool FakeGeoClueManager::registerOnBus()
{
    return m_bus.registerObject(path, this, QDBusConnection::ExportAllProperties) &&
           m_bus.registerService(service);
}

void FakeGeoClueManager::unregisterFromBus()
{
    m_bus.unregisterService(service);
    m_bus.unregisterObject(path);
}

void FakeGeoClueManager::setInUse(bool inUse, bool invalidateOnly)
{
    m_inUse = inUse;
    QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    QVariantMap changed;
    QStringList invalidated;
    if (invalidateOnly)
        invalidated.append(QStringLiteral("InUse"));
    else
        changed.insert(QStringLiteral("InUse"), inUse);
    signal << interface << changed << invalidated;
    m_bus.send(signal);
}
