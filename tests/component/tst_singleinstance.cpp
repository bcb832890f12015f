#include "app/SingleInstance.h"
#include "fakes/PrivateDBus.h"
#include "support/TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// One Halvex per session: the first owns org.halvex.Halvex on the session bus, later launches hand
// their request to it and leave with status 0; without a bus a lock file keeps the rule.
class SingleInstanceTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_bus.isRunning());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        // Any monitoring a later launch started would run this tool.
        m_log = std::make_unique<FakeTool>("HALVEX_TOOL_LOG");
        m_log->setScriptBody("exec sleep 60\n");
    }
    void cleanup()
    {
        m_log.reset();
        m_home.reset();
    }

    void laterLaunchHandsItsRequestOverAndLeaves_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("dashboard");
        QTest::newRow("plain launch shows the panel") << QStringList{"--headless"} << false;
        QTest::newRow("--dashboard shows the dashboard") << QStringList{"--headless", "--dashboard"} << true;
    }
    void laterLaunchHandsItsRequestOverAndLeaves()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, dashboard);
        SingleInstance first;
        QCOMPARE(first.claim(), SingleInstance::Role::Primary);
        QSignalSpy panel(&first, &SingleInstance::panelRequested);
        QSignalSpy board(&first, &SingleInstance::dashboardRequested);

        QProcess later;
        later.setProcessEnvironment(environment());
        later.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), arguments);
        QVERIFY(later.waitForStarted());
        // The call is answered by this event loop: wait with it running.
        QTRY_COMPARE_WITH_TIMEOUT(later.state(), QProcess::NotRunning, 15000);
        QCOMPARE(later.exitStatus(), QProcess::NormalExit);
        QCOMPARE(later.exitCode(), 0);
        QCOMPARE(panel.size(), dashboard ? 0 : 1);
        QCOMPARE(board.size(), dashboard ? 1 : 0);
        QVERIFY(later.readAllStandardOutput().contains("already running"));
        QVERIFY(m_log->calls().isEmpty());
    }

    // A headless run takes the same name: a tray application started beside it would not monitor twice.
    void headlessRunHoldsTheNameUntilItEnds()
    {
        QProcess headless;
        headless.setProcessEnvironment(environment());
        headless.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), {"--headless"});
        QVERIFY(headless.waitForStarted());
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        QTRY_VERIFY_WITH_TIMEOUT(bus->isServiceRegistered(QString::fromLatin1(SingleInstance::serviceName)),
                                 15000);
        {
            SingleInstance second;
            QCOMPARE(second.claim(), SingleInstance::Role::Secondary);
        }
        ::kill(pid_t(headless.processId()), SIGTERM);
        QVERIFY(headless.waitForFinished(10000));
        QCOMPARE(headless.exitCode(), 0);
        SingleInstance next;
        QTRY_COMPARE(next.claim(), SingleInstance::Role::Primary);
    }

    void withoutASessionBusALockFileKeepsOneInstance()
    {
        QTemporaryDir runtime;
        QProcessEnvironment noBus = environment();
        noBus.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + runtime.path() + "/no-bus");
        noBus.insert("XDG_RUNTIME_DIR", runtime.path());
        QProcess first;
        first.setProcessEnvironment(noBus);
        first.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), {"--headless"});
        QVERIFY(first.waitForStarted());
        QByteArray errors;
        QVERIFY(QTest::qWaitFor(
            [&] {
                errors += first.readAllStandardError();
                return errors.contains("headless");
            },
            15000));
        QVERIFY(QFile::exists(runtime.path() + "/halvex.lock"));

        QProcess later;
        later.setProcessEnvironment(noBus);
        later.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), {"--headless"});
        QVERIFY(later.waitForFinished(15000));
        QCOMPARE(later.exitCode(), 0);
        QVERIFY(later.readAllStandardOutput().contains("already running in this session"));
        QCOMPARE(first.state(), QProcess::Running);
        ::kill(pid_t(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 0);
    }

private:
    static QProcessEnvironment environment()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HALVEX_PLATFORM", "macos");
        environment.remove("HALVEX_VENDOR_URL");
        return environment;
    }

    PrivateDBus m_bus;
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeTool> m_log;
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
