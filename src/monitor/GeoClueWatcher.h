#pragma once

#include "monitor/DeviceWatcherPart.h"

#include <QDBusConnection>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class QDBusServiceWatcher;

// Location on Linux: GeoClue2's manager says on the system bus whether any application uses the
// location service (its InUse property), for all clients at once. Each time it turns true, the client
// objects are asked who they are (the DesktopId of each active one, named by its desktop entry), and
// one "location" alert is recorded per client; where the bus does not let us read them, the one alert
// names "Unknown App". GeoClue is started on demand by the bus; the watcher never starts it, it only
// listens.
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
    // Names a client by its desktop id; without one, the id itself names it.
    void setDesktopIdNamer(std::function<QString(const QString& desktopId)> namer)
    {
        m_namer = std::move(namer);
    }

    static const QString clientInterface;
    static const QString clientsPath;

Q_SIGNALS:
    // InUse was read or reported (tests wait on it).
    void inUseUpdated(bool inUse);

private Q_SLOTS:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);

private:
    void readInUse();
    void setInUse(bool inUse);
    void reportClients();
    void readClients(const QStringList& paths, QStringList names);
    void reportNames(const QStringList& names);

    QDBusConnection m_bus;
    std::function<QString(const QString&)> m_namer;
    QDBusServiceWatcher* m_serviceWatcher = nullptr;
    bool m_running = false;
    bool m_inUse = false;
    quint64 m_session = 0;
};
