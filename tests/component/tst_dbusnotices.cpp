#include "fakes/FakeNotificationServer.h"
#include "fakes/PrivateDBus.h"
#include "monitor/MonitorEngine.h"
#include "support/TestEnvironment.h"

#include <QTest>

// Notices on Linux go to the freedesktop Notifications service on the session bus.
class DBusNoticesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_bus.isRunning());
        // Before the first use of the session bus, so the product's default connection is the private one.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        qputenv("HALVEX_PLATFORM", "linux");
        QVERIFY(m_server.registerOn(m_bus.address()));
    }

    void recordedAlertRaisesANotice()
    {
        TemporaryHome home;
        MonitorEngine engine(false);
        engine.setSources({});
        engine.recordAlert("camera", "Zoom", std::nullopt);
        engine.recordAlert("microphone", "Unknown App", std::nullopt);
        engine.recordAlert("camera", "Zoom", std::nullopt); // inside the cool-down: no notice
        QVERIFY(QTest::qWaitFor([&] { return m_server.notices().size() >= 2; }, 5000));
        QTest::qWait(100);
        QCOMPARE(m_server.notices().size(), 2);
        const auto& first = m_server.notices().at(0);
        QCOMPARE(first.appName, QStringLiteral("Halvex"));
        QCOMPARE(first.summary, QStringLiteral("📷 Camera Access"));
        QCOMPARE(first.body, QStringLiteral("Zoom is using your camera"));
        QVERIFY(first.actions.isEmpty());
        QCOMPARE(m_server.notices().at(1).body, QStringLiteral("Unknown App is using your microphone"));
    }

private:
    PrivateDBus m_bus;
    FakeNotificationServer m_server;
};

QTEST_GUILESS_MAIN(DBusNoticesTest)
#include "tst_dbusnotices.moc"
