#include "fakes/FakeGeoClueClient.h"

FakeGeoClueClient::FakeGeoClueClient(QDBusConnection bus, int number, QString desktopId, bool active,
                                     QObject* parent)
    : QObject(parent), m_bus(std::move(bus)),
      m_path(QStringLiteral("/org/freedesktop/GeoClue2/Client/") + QString::number(number)),
      m_desktopId(std::move(desktopId)), m_active(active)
{
}

FakeGeoClueClient::~FakeGeoClueClient()
{
    m_bus.unregisterObject(m_path);
}

bool FakeGeoClueClient::registerOnBus()
{
    return m_bus.registerObject(m_path, this, QDBusConnection::ExportAllProperties);
}
