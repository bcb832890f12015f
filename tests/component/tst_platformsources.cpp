#include "monitor/AlertsFile.h"
#include "monitor/CameraPoller.h"
#include "monitor/MonitorEngine.h"
#include "platform/Notifier.h"
#include "support/FakeProcTree.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// pgrep finds VDCAssistant, ps lists `listing`.
struct FakeMacTools
{
    explicit FakeMacTools(const QString& listing) : ps(QStringLiteral("HALVEX_TOOL_PS"), listing)
    {
        pgrep.setScriptBody(QStringLiteral("[ \"$2\" = VDCAssistant ] && exit 0\nexit 1\n"));
    }
    FakeTool pgrep{QStringLiteral("HALVEX_TOOL_PGREP")};
    FakeTool ps;
    FakeTool log{QStringLiteral("HALVEX_TOOL_LOG")};
};

MonitorEngine::Clock systemClock()
{
    return [] { return QDateTime::currentDateTimeUtc(); };
}

} // namespace

class PlatformSourcesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        qunsetenv("HALVEX_PLATFORM");
        qunsetenv("HALVEX_PROC_ROOT");
        qunsetenv("HALVEX_DEV_ROOT");
    }

    void engineRunsTheLogStreamThenThePoller_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QStringList>("sources");
        QTest::newRow("macos") << "macos" << QStringList{"LogStream", "CameraPoller"};
        QTest::newRow("linux") << "linux" << QStringList{"LinuxDeviceWatcher"};
    }

    void engineRunsTheLogStreamThenThePoller()
    {
        QFETCH(QString, platform);
        QFETCH(QStringList, sources);
        TemporaryHome home;
        qputenv("HALVEX_PLATFORM", platform.toUtf8());
        MonitorEngine engine(false, nullptr, systemClock());
        QStringList classes;
        for (AccessSource* source : engine.findChildren<AccessSource*>(Qt::FindDirectChildrenOnly))
            classes.append(QString::fromLatin1(source->metaObject()->className()));
        QCOMPARE(classes, sources);
    }

    void engineRecordsThePollersAlert()
    {
        TemporaryHome home;
        FakeMacTools tools(QStringLiteral("Teams\n"));
        qputenv("HALVEX_PLATFORM", "macos");
        MonitorEngine engine(false, nullptr, systemClock());
        engine.setSources({new CameraPoller(20ms, 2s)});
        QSignalSpy recorded(&engine, &MonitorEngine::alertRecorded);
        engine.start();
        QVERIFY(recorded.wait());
        QCOMPARE(engine.alerts().first().type, QStringLiteral("camera"));
        QCOMPARE(engine.alerts().first().app, QStringLiteral("Teams"));
        QCOMPARE(engine.alerts().first().details, std::optional<QString>(CameraPoller::detailsText()));
        engine.stop();
    }

    void engineAuditsPermissionsOnMacOS()
    {
        TemporaryHome home;
        const QString path =
            home.path() + QStringLiteral("/Library/Application Support/com.apple.TCC/TCC.db");
        QDir().mkpath(QFileInfo(path).path());
        {
            QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path);
            database.setDatabaseName(path);
            QVERIFY(database.open());
            QSqlQuery query(database);
            QVERIFY(query.exec(
                QStringLiteral("CREATE TABLE access (service TEXT, client TEXT, auth_value INTEGER)")));
            QVERIFY(query.exec(
                QStringLiteral("INSERT INTO access VALUES ('kTCCServiceCamera', 'us.zoom.xos', 2)")));
        }
        QSqlDatabase::removeDatabase(path);
        qputenv("HALVEX_PLATFORM", "macos");
        // Construction runs one audit.
        MonitorEngine engine(false, nullptr, systemClock());
        QTRY_COMPARE(engine.permissions(), (QList<AppPermission>{{"Camera", "us.zoom.xos", "Xos", true}}));
    }

    void linuxHasNoPermissionsToAudit()
    {
        TemporaryHome home;
        FakeTool sqlite(QStringLiteral("HALVEX_TOOL_SQLITE3"));
        qputenv("HALVEX_PLATFORM", "linux");
        MonitorEngine engine(false, nullptr, systemClock());
        engine.setPermissions({{"Camera", "x", "X", true}});
        engine.refreshPermissions();
        QVERIFY(engine.permissions().isEmpty());
        QTest::qWait(100);
        QVERIFY(sqlite.calls().isEmpty());
    }

    void engineRecordsALinuxCameraAccess()
    {
        TemporaryHome home;
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        QTemporaryDir missing;
        FakeTool pwDump(QStringLiteral("HALVEX_TOOL_PW_DUMP"));
        pwDump.setScriptBody(QStringLiteral("exec sleep 30\n"));
        qputenv("HALVEX_PLATFORM", "linux");
        qputenv("HALVEX_PROC_ROOT", tree.procRoot().toUtf8());
        qputenv("HALVEX_DEV_ROOT", tree.devRoot().toUtf8());
        MonitorEngine engine(false, nullptr, systemClock());
        QSignalSpy recorded(&engine, &MonitorEngine::alertRecorded);
        engine.start();
        tree.addProcess(88, QStringLiteral("v4l2-ctl"), QString(), {video0});
        // The node may not be watched yet when it is first opened; keep touching it until it is seen.
        QVERIFY(QTest::qWaitFor([&] {
            QFile node(video0);
            node.open(QIODevice::ReadOnly);
            return recorded.count() > 0;
        }));
        QCOMPARE(engine.alerts().first().type, QStringLiteral("camera"));
        QCOMPARE(engine.alerts().first().app, QStringLiteral("v4l2-ctl"));
        engine.stop();
        engine.alertsWriter().waitForIdle();
        QCOMPARE(AlertsFile::load(engine.alertsPath()).first().app, QStringLiteral("v4l2-ctl"));
    }

    // halvex --headless as a user runs it on Linux: a helper process opens a (fake) camera node and a
    // PipeWire capture stream starts; both come out as JSON alert lines.
    void headlessReportsCameraAndMicrophone()
    {
        TemporaryHome home;
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        FakeTool pwDump(QStringLiteral("HALVEX_TOOL_PW_DUMP"));
        pwDump.setScriptBody(QStringLiteral("printf '[\\n  {\"id\": 7, \"type\": "
                                            "\"PipeWire:Interface:Node\", \"info\": {\"state\": \"running\", "
                                            "\"props\": {\"media.class\": \"Stream/Input/Audio\", "
                                            "\"application.process.binary\": \"arecord\"}}}\\n]\\n'\n"
                                            "exec sleep 60\n"));
        QProcess halvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HALVEX_PLATFORM"), QStringLiteral("linux"));
        environment.insert(QStringLiteral("HALVEX_DEV_ROOT"), tree.devRoot());
        halvex.setProcessEnvironment(environment);
        halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), {QStringLiteral("--headless")});
        QVERIFY(halvex.waitForStarted());

        // The helper opens the node itself and keeps it open while the watcher may still be starting.
        // Opening it after exec matters: a node handed over as standard input is already held by the
        // forked copy of this test before exec, which a scan at that moment rightly reports.
        QProcess helper;
        helper.start(QStringLiteral("tail"), {QStringLiteral("-f"), video0});
        QVERIFY(helper.waitForStarted());
        QByteArray output;
        QVERIFY(QTest::qWaitFor(
            [&] {
                output += halvex.readAllStandardOutput();
                return output.contains("\"camera\"") && output.contains("\"microphone\"");
            },
            15000));
        QStringList alerts;
        for (const QByteArray& line : output.trimmed().split('\n')) {
            const auto alert = SecurityAlert::fromJson(QJsonDocument::fromJson(line).object());
            QVERIFY(alert);
            alerts.append(alert->type + QLatin1Char(':') + alert->app);
        }
        alerts.sort();
        QCOMPARE(alerts, (QStringList{"camera:tail", "microphone:arecord"}));
        helper.kill();
        helper.waitForFinished();
        halvex.terminate();
        QVERIFY(halvex.waitForFinished(10000));
        QCOMPARE(halvex.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(PlatformSourcesTest)
#include "tst_platformsources.moc"
