#include "fakes/FakeGeoClueManager.h"
#include "fakes/PrivateDBus.h"
#include "monitor/LinuxDeviceWatcher.h"
#include "monitor/VideoDeviceWatcher.h"
#include "support/FakeProcTree.h"
#include "support/FakeStreamFile.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

QStringList accessesOf(const QSignalSpy& spy)
{
    QStringList accesses;
    for (const QList<QVariant>& access : spy)
        accesses.append(access.at(0).toString() + QLatin1Char(':') + access.at(1).toString());
    accesses.sort();
    return accesses;
}

} // namespace

class LinuxDeviceWatcherTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_bus.isRunning(), "dbus-daemon did not start"); }

    void init()
    {
        m_missing.reset(new QTemporaryDir);
        qputenv("HALVEX_TOOL_PW_DUMP", (m_missing->path() + QStringLiteral("/pw-dump")).toUtf8());
        qputenv("HALVEX_TOOL_PACTL", (m_missing->path() + QStringLiteral("/pactl")).toUtf8());
    }

    void cleanup()
    {
        qunsetenv("HALVEX_TOOL_PW_DUMP");
        qunsetenv("HALVEX_TOOL_PACTL");
    }

    void everyPartReports()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        FakeStreamFile pwStream;
        FakeTool pwDump(QStringLiteral("HALVEX_TOOL_PW_DUMP"));
        pwDump.setScriptBody(pwStream.followCommand());
        FakeGeoClueManager geoclue(busConnection(QStringLiteral("geoclue-1")));
        QVERIFY(geoclue.registerOnBus());

        LinuxDeviceWatcher watcher(configFor(tree, QStringLiteral("watcher-1")));
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        CapturedStdout output;
        watcher.start();
        QTRY_COMPARE(watcher.camera().watchedNodes(), QStringList{video0});

        tree.addProcess(77, QStringLiteral("ffmpeg"), QString(), {video0});
        QFile node(video0);
        QVERIFY(node.open(QIODevice::ReadOnly));
        pwStream.append(
            "[\n  {\"id\": 9, \"type\": \"PipeWire:Interface:Node\", \"info\": {\"state\": \"running\", "
            "\"props\": {\"media.class\": \"Stream/Input/Audio\", \"application.name\": \"Zoom\"}}}\n]\n");
        geoclue.setInUse(true);
        QTRY_COMPARE(accessesOf(accesses),
                     (QStringList{"camera:ffmpeg", "location:Unknown App", "microphone:Zoom"}));
        QCOMPARE(output.text(), QString());
    }

    void pulseAudioStandsInForPipeWire_data()
    {
        QTest::addColumn<QString>("serverName");
        QTest::newRow("real PulseAudio") << "pulseaudio";
        // pw-dump cannot run, so the PipeWire streams are read through pipewire-pulse after all.
        QTest::newRow("pipewire-pulse without pw-dump") << "PulseAudio (on PipeWire 0.3.65)";
    }

    void pulseAudioStandsInForPipeWire()
    {
        QFETCH(QString, serverName);
        FakeProcTree tree;
        QTemporaryDir state;
        FakeTool pactl(QStringLiteral("HALVEX_TOOL_PACTL"));
        QFile outputs(state.path() + QStringLiteral("/outputs.json"));
        outputs.open(QIODevice::WriteOnly);
        outputs.write(
            R"([{"index": 1, "corked": false, "properties": {"application.process.binary": "parecord"}}])");
        outputs.close();
        pactl.setScriptBody(QStringLiteral("[ \"$1\" = subscribe ] && exec sleep 30\n"
                                           "[ \"$3\" = info ] && echo '{\"server_name\": \"%2\"}' && exit 0\n"
                                           "cat '%1'\n")
                                .arg(outputs.fileName(), serverName));

        LinuxDeviceWatcher watcher(configFor(tree, QStringLiteral("watcher-2")));
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        CapturedStdout output;
        watcher.start();
        QVERIFY(accesses.wait());
        QCOMPARE(accessesOf(accesses), QStringList{"microphone:parecord"});
        // PipeWire being absent is normal where PulseAudio runs: nothing to report.
        QCOMPARE(output.text(), QString());
    }

    void failedPartsAreReportedOncePerStart()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        LinuxDeviceWatcherConfig config = configFor(tree, QStringLiteral("unused"));
        config.systemBus = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                         QStringLiteral("nowhere"));
        config.devRoot = tree.devRoot() + QStringLiteral("/missing");
        LinuxDeviceWatcher watcher(config);
        CapturedStdout output;
        watcher.start();
        QTRY_VERIFY(output.text().contains(QStringLiteral("[DeviceWatcher] microphone watch failed: ")));
        const QStringList lines = output.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.filter(QStringLiteral("[DeviceWatcher] camera watch failed: cannot watch ")).size() ==
                1);
        QVERIFY(lines.filter(QStringLiteral("[DeviceWatcher] location watch failed: system bus: ")).size() ==
                1);
        const QStringList microphone =
            lines.filter(QStringLiteral("[DeviceWatcher] microphone watch failed: "));
        QCOMPARE(microphone.size(), 1);
        QVERIFY(microphone.first().contains(QStringLiteral("pw-dump: ")));
        QVERIFY(microphone.first().contains(QStringLiteral("; pactl: ")));

        watcher.stop();
        watcher.start();
        QTRY_COMPARE(output.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 6);
        QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
    }

private:
    // Each fake service and each watcher gets a connection of its own, as separate programs would.
    QDBusConnection busConnection(const QString& name) const
    {
        return QDBusConnection::connectToBus(m_bus.address(), name);
    }

    LinuxDeviceWatcherConfig configFor(const FakeProcTree& tree, const QString& busName)
    {
        LinuxDeviceWatcherConfig config;
        config.procRoot = tree.procRoot();
        config.devRoot = tree.devRoot();
        config.systemBus = busConnection(busName);
        config.systemOwnerUid = ::getuid();
        config.toolStartupLimit = 2s;
        config.toolTimeLimit = 2s;
        return config;
    }

    PrivateDBus m_bus;
    std::unique_ptr<QTemporaryDir> m_missing;
};

QTEST_GUILESS_MAIN(LinuxDeviceWatcherTest)
#include "tst_linuxdevicewatcher.moc"
