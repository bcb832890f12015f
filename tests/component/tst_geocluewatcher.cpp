#include "fakes/FakeGeoClueClient.h"
#include "fakes/FakeGeoClueManager.h"
#include "fakes/PrivateDBus.h"
#include "monitor/GeoClueWatcher.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QStringList accessesOf(const QSignalSpy& spy)
{
    QStringList accesses;
    for (const QList<QVariant>& access : spy)
        accesses.append(access.at(0).toString() + QLatin1Char(':') + access.at(1).toString());
    return accesses;
}

} // namespace

class GeoClueWatcherTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_bus.isRunning(), "dbus-daemon did not start"); }

    void reportsEachTurnOn()
    {
        FakeGeoClueManager geoclue(busConnection(QStringLiteral("service-1")));
        QVERIFY(geoclue.registerOnBus());
        GeoClueWatcher watcher(busConnection(QStringLiteral("watcher-1")));
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        QSignalSpy updated(&watcher, &GeoClueWatcher::inUseUpdated);
        watcher.start();
        QVERIFY(updated.wait()); // the first read: not in use
        QCOMPARE(accesses.count(), 0);

        geoclue.setInUse(true);
        QVERIFY(accesses.wait());
        QCOMPARE(accessesOf(accesses), QStringList{"location:Unknown App"});
        QCOMPARE(accesses.first().at(2).value<std::optional<QString>>(),
                 std::optional<QString>(QStringLiteral("Location service in use (GeoClue)")));

        geoclue.setInUse(true); // no change
        QVERIFY(updated.wait());
        geoclue.setInUse(false);
        QVERIFY(updated.wait());
        QCOMPARE(accesses.count(), 1);
        geoclue.setInUse(true);
        QVERIFY(accesses.wait());
        QCOMPARE(accesses.count(), 2);
    }

    void activeClientsAreNamedByTheirDesktopIds()
    {
        const QDBusConnection service = busConnection(QStringLiteral("service-clients"));
        FakeGeoClueManager geoclue(service);
        QVERIFY(geoclue.registerOnBus());
        FakeGeoClueClient maps(service, 1, QStringLiteral("org.gnome.Maps"), true);
        FakeGeoClueClient weather(service, 2, QStringLiteral("org.gnome.Weather"), false);
        FakeGeoClueClient anonymous(service, 3, QString(), true);
        QVERIFY(maps.registerOnBus() && weather.registerOnBus() && anonymous.registerOnBus());
        GeoClueWatcher watcher(busConnection(QStringLiteral("watcher-clients")));
        watcher.setDesktopIdNamer(
            [](const QString& id) { return id == u"org.gnome.Maps" ? QStringLiteral("Maps") : id; });
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        QSignalSpy updated(&watcher, &GeoClueWatcher::inUseUpdated);
        watcher.start();
        QVERIFY(updated.wait());
        geoclue.setInUse(true);
        QVERIFY(accesses.wait());
        QTest::qWait(100);
        // Only the active client with a desktop id; the inactive one is not using location.
        QCOMPARE(accessesOf(accesses), QStringList{"location:Maps"});
    }

    void inUseAtStartIsReported()
    {
        FakeGeoClueManager geoclue(busConnection(QStringLiteral("service-2")));
        QVERIFY(geoclue.registerOnBus());
        geoclue.setInUse(true);
        GeoClueWatcher watcher(busConnection(QStringLiteral("watcher-2")));
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        watcher.start();
        QVERIFY(accesses.wait());
        QVERIFY(watcher.inUse());
    }

    void invalidatedPropertyIsReadAgain()
    {
        FakeGeoClueManager geoclue(busConnection(QStringLiteral("service-3")));
        QVERIFY(geoclue.registerOnBus());
        GeoClueWatcher watcher(busConnection(QStringLiteral("watcher-3")));
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        QSignalSpy updated(&watcher, &GeoClueWatcher::inUseUpdated);
        watcher.start();
        QVERIFY(updated.wait());
        geoclue.setInUse(true, true);
        QVERIFY(accesses.wait());
        QCOMPARE(accesses.count(), 1);
    }

    void serviceThatComesAndGoes()
    {
        GeoClueWatcher watcher(busConnection(QStringLiteral("watcher-4")));
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        QSignalSpy updated(&watcher, &GeoClueWatcher::inUseUpdated);
        watcher.start(); // GeoClue is not running: nothing in use
        {
            FakeGeoClueManager geoclue(busConnection(QStringLiteral("service-4")));
            geoclue.setInUse(true);
            QVERIFY(geoclue.registerOnBus());
            QVERIFY(accesses.wait());
        }
        // Gone while in use: no longer in use.
        QTRY_VERIFY(!watcher.inUse());
        FakeGeoClueManager again(busConnection(QStringLiteral("service-5")));
        again.setInUse(true);
        QVERIFY(again.registerOnBus());
        QVERIFY(accesses.wait());
        QCOMPARE(accesses.count(), 2);
    }

    void stoppedWatcherIgnoresChanges()
    {
        FakeGeoClueManager geoclue(busConnection(QStringLiteral("service-6")));
        QVERIFY(geoclue.registerOnBus());
        GeoClueWatcher watcher(busConnection(QStringLiteral("watcher-6")));
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        QSignalSpy updated(&watcher, &GeoClueWatcher::inUseUpdated);
        watcher.start();
        QVERIFY(updated.wait());
        watcher.stop();
        geoclue.setInUse(true);
        QTest::qWait(200);
        QCOMPARE(accesses.count(), 0);
        // Started again, it reads the state it finds.
        watcher.start();
        QVERIFY(accesses.wait());
    }

    void disconnectedBusIsUnavailable()
    {
        GeoClueWatcher watcher(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                             QStringLiteral("nowhere")));
        QSignalSpy unavailable(&watcher, &DeviceWatcherPart::unavailable);
        watcher.start();
        QCOMPARE(unavailable.count(), 1);
        QVERIFY(unavailable.first().first().toString().startsWith(QStringLiteral("system bus: ")));
        QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
    }

private:
    // Each fake service and each watcher gets a connection of its own, as separate programs would.
    QDBusConnection busConnection(const QString& name) const
    {
        return QDBusConnection::connectToBus(m_bus.address(), name);
    }

    PrivateDBus m_bus;
};

QTEST_GUILESS_MAIN(GeoClueWatcherTest)
#include "tst_geocluewatcher.moc"
