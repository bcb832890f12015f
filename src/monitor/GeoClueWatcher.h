#pragma once

#include "monitor/DeviceWatcherPart.h"

#include <QDBusConnection>
#include <QStringList>
#include <QVariantMap>

class QDBusServiceWatcher;

// Location on Linux: GeoClue2's manager says on the system bus whether any application uses the
// location service (its InUse property). Each time it turns true, one "location" alert is recorded;
// GeoClue does not tell who asks, so the application is "Unknown App". GeoClue is started on demand by
// the bus; the watcher never starts it, it only listens.
class GeoClueWatcher : public DeviceWatcherPart
{
    Q_OBJECT
public:
    static const QString serviceName;
    static const QString managerPath;
    static const QString managerInterface;

    // `bus` is the system bus in the product; tests pass a private bus.
    explicit GeoClueWatcher(QDBusConnection bus, QObject* parent = nullptr);
    ~GeoClueWatcher() override;

    void start() override;
    void stop() override;

    bool inUse() const { return m_inUse; }

Q_SIGNALS:
    // InUse was read or reported (tests wait on it).
    void inUseUpdated(bool inUse);

private Q_SLOTS:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);

private:
    void readInUse();
    void setInUse(bool inUse);

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_serviceWatcher = nullptr;
    bool m_running = false;
    bool m_inUse = false;
    quint64 m_session = 0;
};
