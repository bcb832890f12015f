#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// One of GeoClue2's client objects on a test bus (/org/freedesktop/GeoClue2/Client/<n>), with the
// Active and DesktopId properties the real service gives each application that asks for location.
class FakeGeoClueClient : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.GeoClue2.Client")
    Q_PROPERTY(bool Active READ active)
    Q_PROPERTY(QString DesktopId READ desktopId)
public:
    FakeGeoClueClient(QDBusConnection bus, int number, QString desktopId, bool active,
                      QObject* parent = nullptr);
    ~FakeGeoClueClient() override;

    bool registerOnBus();
    bool active() const { return m_active; }
    QString desktopId() const { return m_desktopId; }

private:
    QDBusConnection m_bus;
    QString m_path;
    QString m_desktopId;
    bool m_active;
};
