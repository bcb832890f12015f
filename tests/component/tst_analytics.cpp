#include "app/AnalyticsManager.h"
#include "fakes/FakeHttpServer.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <QJsonArray>
#include <QTest>
#include <QUuid>

using Reply = FakeHttpServer::Reply;

namespace {

QStringList eventNames(const QJsonArray& events)
{
    QStringList names;
    for (const QJsonValue& event : events)
        names.append(event.toObject().value("name").toString());
    return names;
}

QJsonArray sentEvents(const FakeHttpServer::Request& request)
{
    return request.json().value("events").toArray();
}

const Reply silent{200, "{}", "application/json", true};

} // namespace

class AnalyticsTest : public QObject
{
    Q_OBJECT
    TemporaryHome m_home;
    FakeHttpServer m_server;
    QDateTime m_now;

    AnalyticsManager::Options options()
    {
        AnalyticsManager::Options options;
        options.endpoint = QUrl(m_server.baseUrl() + "/api/app-events");
        options.clock = [this] { return m_now; };
        options.requestTimeoutMs = 5000;
        return options;
    }

    // Runs one flush and waits for its request to end.
    bool flushAndWait(AnalyticsManager& manager)
    {
        bool finished = false;
        manager.flush([&finished] { finished = true; });
        return QTest::qWaitFor([&finished] { return finished; });
    }

private Q_SLOTS:
    void init()
    {
        Settings().remove(SettingsKey::analyticsDidInstall);
        Settings().remove(SettingsKey::analyticsDeviceId);
        m_server.setReply(Reply{});
        m_server.clearRequests();
        m_now = QDateTime(QDate(2025, 1, 31), QTime(9, 15, 0, 517), Qt::UTC);
    }

    void defaults()
    {
        const AnalyticsManager::Options defaults;
        QCOMPARE(defaults.quitWaitMs, 3000);
        QCOMPARE(defaults.requestTimeoutMs, 8000);
        QCOMPARE(defaults.flushIntervalMs, 1800 * 1000);
    }

    void firstLaunchSendsInstall()
    {
        AnalyticsManager manager(options());
        manager.appLaunched();
        QVERIFY(m_server.waitForRequests(1));
        QVERIFY(Settings().analyticsDidInstall());

        const FakeHttpServer::Request& request = m_server.requests().first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path(), QByteArray("/api/app-events"));
        QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
        const QJsonObject payload = request.json();
        QCOMPARE(payload.value("device_id").toString(), manager.deviceId());
        QCOMPARE(payload.value("app_version").toString(), QStringLiteral("1.0"));
        QCOMPARE(payload.value("macos_version").toString(), Platform::prettyOSName());
#ifdef Q_PROCESSOR_X86_64
        QCOMPARE(payload.value("chip").toString(), QStringLiteral("Intel"));
#endif
        QVERIFY(!payload.value("locale").toString().isEmpty());
        QVERIFY(payload.value("locale").toString().size() <= 10);
        QCOMPARE(sentEvents(request),
                 QJsonArray({QJsonObject{{"name", "install"}, {"ts", "2025-01-31T09:15:00Z"}}}));
    }

    void laterLaunchesSendOnlyAtQuit()
    {
        Settings().setAnalyticsDidInstall(true);
        AnalyticsManager manager(options());
        manager.appLaunched();
        QVERIFY(manager.pendingEvents().isEmpty());
        m_now = m_now.addSecs(61 * 60 + 59);
        manager.appWillTerminate();
        QVERIFY(m_server.waitForRequests(1));
        QTest::qWait(100);
        QCOMPARE(m_server.requests().size(), 1);
        QCOMPARE(sentEvents(m_server.requests().first()),
                 QJsonArray({QJsonObject{{"name", "session_end"},
                                         {"ts", "2025-01-31T10:16:59Z"},
                                         {"props", QJsonObject{{"duration_min", 61}}}}}));
    }

    void sessionMinutesRoundDown_data()
    {
        QTest::addColumn<qint64>("sessionMs");
        QTest::addColumn<int>("minutes");
        QTest::newRow("59.9 seconds") << qint64(59900) << 0;
        QTest::newRow("one minute") << qint64(60000) << 1;
        QTest::newRow("61 minutes 59 seconds") << qint64((61 * 60 + 59) * 1000) << 61;
        QTest::newRow("clock set back") << qint64(-120000) << 0;
    }

    void sessionMinutesRoundDown()
    {
        QFETCH(qint64, sessionMs);
        QFETCH(int, minutes);
        Settings().setAnalyticsDidInstall(true);
        AnalyticsManager manager(options());
        manager.appLaunched();
        m_now = m_now.addMSecs(sessionMs);
        manager.appWillTerminate();
        QVERIFY(m_server.waitForRequests(1));
        const QJsonObject event = sentEvents(m_server.requests().first()).first().toObject();
        QCOMPARE(event.value("props").toObject().value("duration_min").toInt(-1), minutes);
    }

    void deviceIdRule_data()
    {
        QTest::addColumn<QString>("stored"); // "-": absent
        QTest::addColumn<bool>("kept");
        QTest::newRow("36 characters") << "custom-identifier-with-36-characters" << true;
        QTest::newRow("35 characters") << "custom-identifier-with-35-character" << false;
        QTest::newRow("lower-case UUID") << "0f8fad5b-d9cb-469f-a165-70867728950e" << true;
        QTest::newRow("absent") << "-" << false;
        QTest::newRow("empty") << "" << false;
    }

    void deviceIdRule()
    {
        QFETCH(QString, stored);
        QFETCH(bool, kept);
        if (stored != "-")
            Settings().setAnalyticsDeviceId(stored);
        AnalyticsManager manager(options());
        if (kept) {
            QCOMPARE(manager.deviceId(), stored);
            return;
        }
        const QString fresh = manager.deviceId();
        QCOMPARE(fresh.size(), 36);
        QCOMPARE(fresh, fresh.toUpper());
        QVERIFY(!QUuid::fromString(fresh).isNull());
        QCOMPARE(Settings().analyticsDeviceId(), fresh);
        QCOMPARE(AnalyticsManager(options()).deviceId(), fresh);
    }

    void lostBatchGoesBackInFront()
    {
        m_server.setReply(silent);
        AnalyticsManager::Options unreachable = options();
        unreachable.requestTimeoutMs = 200;
        AnalyticsManager manager(unreachable);
        manager.appLaunched();
        QVERIFY(m_server.waitForRequests(1));
        manager.queue("meanwhile");
        QTRY_COMPARE(eventNames(manager.pendingEvents()), (QStringList{"install", "meanwhile"}));

        m_server.setReply(Reply{});
        m_server.clearRequests();
        manager.appWillTerminate();
        QVERIFY(m_server.waitForRequests(1));
        QCOMPARE(eventNames(sentEvents(m_server.requests().first())),
                 (QStringList{"install", "meanwhile", "session_end"}));
        QVERIFY(manager.pendingEvents().isEmpty());
    }

    void anyHttpReplyEndsTheBatch_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("200") << 200;
        QTest::newRow("404") << 404;
        QTest::newRow("500") << 500;
    }

    void anyHttpReplyEndsTheBatch()
    {
        QFETCH(int, status);
        m_server.setReply(Reply{status, "{}"});
        AnalyticsManager manager(options());
        manager.queue("install");
        QVERIFY(flushAndWait(manager));
        QCOMPARE(m_server.requests().size(), 1);
        QVERIFY(manager.pendingEvents().isEmpty());

        manager.queue("session_end");
        QVERIFY(flushAndWait(manager));
        QCOMPARE(eventNames(sentEvents(m_server.requests().at(1))), QStringList{"session_end"});
    }

    void quitWaitIsCapped()
    {
        m_server.setReply(silent);
        AnalyticsManager::Options slow = options();
        slow.requestTimeoutMs = 60000;
        slow.quitWaitMs = 300;
        Settings().setAnalyticsDidInstall(true);
        AnalyticsManager manager(slow);
        manager.appLaunched();
        manager.appWillTerminate();
        // Returned while the batch is still in flight: neither delivered nor put back.
        QVERIFY(manager.pendingEvents().isEmpty());
        QVERIFY(m_server.waitForRequests(1));
        QCOMPARE(eventNames(sentEvents(m_server.requests().first())), QStringList{"session_end"});
    }

    void quitReturnsOnceSent()
    {
        AnalyticsManager::Options patient = options();
        patient.quitWaitMs = 600000;
        Settings().setAnalyticsDidInstall(true);
        AnalyticsManager manager(patient);
        bool watchdogFired = false;
        QTimer::singleShot(10000, this, [&watchdogFired] { watchdogFired = true; });
        manager.appWillTerminate();
        QVERIFY(!watchdogFired);
        QCOMPARE(m_server.requests().size(), 1);
    }

    void periodicSenderFlushes()
    {
        Settings().setAnalyticsDidInstall(true);
        AnalyticsManager::Options frequent = options();
        frequent.flushIntervalMs = 100;
        AnalyticsManager manager(frequent);
        manager.appLaunched();
        manager.queue("tick");
        QVERIFY(m_server.waitForRequests(1));
        QCOMPARE(eventNames(sentEvents(m_server.requests().first())), QStringList{"tick"});
    }

    void switchedOff()
    {
        AnalyticsManager manager(AnalyticsManager::Options{});
        QVERIFY(!manager.isEnabled());
        manager.appLaunched();
        manager.queue("x");
        QVERIFY(manager.pendingEvents().isEmpty());
        manager.appWillTerminate();
        QVERIFY(!Settings().analyticsDidInstall());
        QVERIFY(!Settings().analyticsDeviceId());
        QCOMPARE(m_server.requests().size(), 0);
    }

    void endpointFromEnvironment_data()
    {
        QTest::addColumn<QString>("vendor"); // "-": unset
        QTest::addColumn<QString>("doNotTrack");
        QTest::addColumn<QString>("endpoint"); // empty: off
        QTest::newRow("unset") << "-"
                               << ""
                               << "";
        QTest::newRow("vendor") << "https://halvex.example"
                                << ""
                                << "https://halvex.example/api/app-events";
        QTest::newRow("vendor with slash") << "https://halvex.example/"
                                           << ""
                                           << "https://halvex.example/api/app-events";
        QTest::newRow("do not track") << "https://halvex.example"
                                      << "1"
                                      << "";
        QTest::newRow("do not track true") << "https://halvex.example"
                                           << "true"
                                           << "";
        QTest::newRow("do not track yes") << "https://halvex.example"
                                          << "yes"
                                          << "";
        QTest::newRow("do not track off") << "https://halvex.example"
                                          << "0"
                                          << "https://halvex.example/api/app-events";
        QTest::newRow("not a URL") << "halvex"
                                   << ""
                                   << "";
    }

    void endpointFromEnvironment()
    {
        QFETCH(QString, vendor);
        QFETCH(QString, doNotTrack);
        QFETCH(QString, endpoint);
        if (vendor == "-")
            qunsetenv("HALVEX_VENDOR_URL");
        else
            qputenv("HALVEX_VENDOR_URL", vendor.toUtf8());
        qputenv("DO_NOT_TRACK", doNotTrack.toUtf8());
        const auto options = AnalyticsManager::Options::fromEnvironment();
        qunsetenv("HALVEX_VENDOR_URL");
        qunsetenv("DO_NOT_TRACK");
        QCOMPARE(options.endpoint.value_or(QUrl()).toString(), endpoint);
    }

    void sharedInstanceIsOne()
    {
        QCOMPARE(&AnalyticsManager::shared(), &AnalyticsManager::shared());
    }
};

QTEST_GUILESS_MAIN(AnalyticsTest)
#include "tst_analytics.moc"
