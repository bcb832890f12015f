#pragma once

#include <QDBusConnection>
#include <QObject>

// GeoClue2's manager object on a test bus: the InUse property, readable with Properties.Get, and the
// PropertiesChanged signal that the real service sends when it changes.
class FakeGeoClueManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.GeoClue2.Manager")
    Q_PROPERTY(bool InUse READ inUse)
public:
    explicit FakeGeoClueManager(QDBusConnection bus, QObject* parent = nullptr);
    ~FakeGeoClueManager() override;

    // Takes the service name and exports the object; false when the bus refused.
    bool registerOnBus();
    void unregisterFromBus();

    bool inUse() const { return m_inUse; }
    // Changes InUse and announces it, in the changed properties or, with `invalidateOnly`, as an
    // invalidated property that clients must read again.
    void setInUse(bool inUse, bool invalidateOnly = false);

private:
    QDBusConnection m_bus;
    bool m_inUse = false;
};
