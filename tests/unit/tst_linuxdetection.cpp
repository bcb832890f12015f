#include "monitor/AppNamer.h"
#include "monitor/DesktopEntries.h"
#include "monitor/PipeWireGraph.h"
#include "monitor/PulseSourceOutputs.h"
#include "monitor/SeenProcesses.h"
#include "platform/ProcessFacts.h"
#include "platform/ToolEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The Linux detection rules on outputs recorded from real PipeWire 0.3.65 / WirePlumber /
// pipewire-pulse and PulseAudio 16 servers (tests/fixtures/linux), and the naming rule.
namespace {

QByteArray fixture(const QString& name)
{
    QFile file(QStringLiteral(HALVEX_FIXTURES_DIR "/linux/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

QStringList describe(const QList<CaptureStream>& streams)
{
    QStringList lines;
    for (const CaptureStream& stream : streams)
        lines.append(stream.type + QLatin1Char(':') + stream.app + QLatin1Char(':') +
                     QString::number(stream.pid));
    return lines;
}

void writeEntry(const QString& directory, const QString& file, const QByteArray& text)
{
    QDir().mkpath(directory + QStringLiteral("/applications"));
    QFile entry(directory + QStringLiteral("/applications/") + file);
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write(text);
}

} // namespace

class LinuxDetectionTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cameraConsumerFoundThroughItsLink()
    {
        // gst-launch-1.0 pipewiresrc target-object=test-camera: the consuming stream sets no role; the
        // source node (Video/Source, media.role Camera, device.api v4l2) and the active link tell.
        PipeWireGraph graph;
        graph.apply(QJsonDocument::fromJson(fixture("pw-dump-camera.json")).array());
        const QList<CaptureStream> streams = graph.runningCaptureStreams();
        QCOMPARE(describe(streams), QStringList{"camera:gst-launch-1.0:9563"});
        QVERIFY(streams.first().details.contains(u"node 48"));

        // Once the link goes, so does the access.
        graph.apply(QJsonDocument::fromJson(R"([{"id": 50, "info": null}])").array());
        QVERIFY(graph.runningCaptureStreams().isEmpty());
    }

    void screenCastSourceIsNoCamera()
    {
        PipeWireGraph graph;
        graph.apply(QJsonDocument::fromJson(R"([
            {"id": 1, "type": "PipeWire:Interface:Node", "info": {"state": "running",
             "props": {"media.class": "Video/Source", "node.name": "screen"}}},
            {"id": 2, "type": "PipeWire:Interface:Node", "info": {"state": "running",
             "props": {"media.class": "Stream/Input/Video", "application.name": "obs"}}},
            {"id": 3, "type": "PipeWire:Interface:Link", "info": {"output-node-id": 1, "input-node-id": 2,
             "state": "active"}}])")
                        .array());
        QVERIFY(graph.runningCaptureStreams().isEmpty());
    }

    void recordedMicrophonesOnPipeWire()
    {
        // pw-record, parecord (pipewire-pulse), arecord through ALSA's pulse plug-in, a recording of
        // the null sink's monitor (left out) and the camera consumer still running.
        PipeWireGraph graph;
        graph.apply(QJsonDocument::fromJson(fixture("pw-dump-microphones.json")).array());
        // The names the properties give, before the naming rule looks at the processes.
        const QList<CaptureStream> streams = graph.runningCaptureStreams();
        QCOMPARE(describe(streams), (QStringList{"camera:gst-launch-1.0:9563", "microphone:pacat:9855",
                                                 "microphone:pw-cat:9854", "microphone:aplay:9856"}));
        QCOMPARE(streams.at(2).streamName, QStringLiteral("pw-record"));
        QCOMPARE(streams.at(3).streamName, QStringLiteral("ALSA plug-in [aplay]"));
    }

    void pulseAudioMonitorRecordingsAreLeftOut()
    {
        const std::optional<QSet<qint64>> monitors =
            PulseSourceOutputs::monitorSources(fixture("pulseaudio-sources.json"));
        QCOMPARE(monitors, std::optional<QSet<qint64>>(QSet<qint64>{0}));
        const auto streams = PulseSourceOutputs::parse(fixture("pulseaudio-source-outputs.json"), *monitors);
        QVERIFY(streams);
        // parecord -d speaker.monitor (output #0) is no microphone; parecord and arecord are.
        QCOMPARE(describe(*streams), (QStringList{"microphone:pacat:8244", "microphone:aplay:8246"}));
        QCOMPARE(PulseSourceOutputs::parse(fixture("pulseaudio-source-outputs.json"))->size(), 3);
    }

    void serverNamesItself()
    {
        QCOMPARE(PulseSourceOutputs::servedByPipeWire(fixture("pipewire-pulse-info.json")),
                 std::optional(true));
        QCOMPARE(PulseSourceOutputs::servedByPipeWire(fixture("pulseaudio-info.json")), std::optional(false));
        QCOMPARE(PulseSourceOutputs::servedByPipeWire("Connection failure"), std::nullopt);
        // pipewire-pulse marks the monitor recording on the stream itself.
        const auto streams = PulseSourceOutputs::parse(fixture("pipewire-pulse-source-outputs.json"));
        QCOMPARE(streams->size(), 3);
    }

    void translatedEventsAreWhyToolsRunInTheCLocale()
    {
        // What pactl subscribe prints under German and French: no "on source-output" to find.
        QVERIFY(!fixture("pactl-subscribe-de.txt").contains("on source-output"));
        QVERIFY(fixture("pactl-subscribe-de.txt").contains("Quellen-Eingabe"));
        QVERIFY(!fixture("pactl-subscribe-fr.txt").contains("on source-output"));
        QProcessEnvironment base;
        base.insert("LANG", "de_DE.UTF-8");
        base.insert("LC_MESSAGES", "fr_FR.UTF-8");
        base.insert("LANGUAGE", "de:fr");
        base.insert("LC_ALL", "de_DE.UTF-8");
        const QProcessEnvironment tool = ToolEnvironment::forParsing(base);
        QCOMPARE(tool.value("LC_ALL"), "C");
        QVERIFY(!tool.contains("LANGUAGE"));
    }

    void namingRule_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("invoked");
        QTest::addColumn<QString>("sandbox");
        QTest::addColumn<QString>("stream");
        QTest::addColumn<QString>("portal");
        QTest::addColumn<QString>("name");
        QTest::newRow("arecord, not its aplay executable") << "/usr/bin/aplay"
                                                           << "arecord"
                                                           << ""
                                                           << "ALSA plug-in [aplay]"
                                                           << ""
                                                           << "arecord";
        QTest::newRow("pw-record by its stream name") << "/usr/bin/pw-cat"
                                                      << "pw-record"
                                                      << ""
                                                      << "pw-record"
                                                      << ""
                                                      << "pw-record";
        QTest::newRow("desktop entry by executable") << "/usr/lib/firefox-esr/firefox-esr"
                                                     << "firefox-esr"
                                                     << ""
                                                     << "Firefox"
                                                     << ""
                                                     << "Firefox ESR";
        QTest::newRow("desktop entry by invoked name") << "/opt/zoom/zoom.real"
                                                       << "zoom"
                                                       << ""
                                                       << ""
                                                       << ""
                                                       << "Zoom Workplace";
        QTest::newRow("flatpak app id from the cgroup") << "/app/bin/telegram"
                                                        << "telegram"
                                                        << "org.telegram.desktop"
                                                        << ""
                                                        << ""
                                                        << "Telegram";
        QTest::newRow("portal id wins over a forged stream name") << "/app/bin/x"
                                                                  << "x"
                                                                  << ""
                                                                  << "Firefox"
                                                                  << "org.telegram.desktop"
                                                                  << "Telegram";
        QTest::newRow("snap id") << "/snap/discord/1/discord"
                                 << "discord"
                                 << "discord"
                                 << ""
                                 << ""
                                 << "Discord";
        QTest::newRow("unknown flatpak keeps its id") << "/app/bin/y"
                                                      << "y"
                                                      << "com.example.Unlisted"
                                                      << ""
                                                      << ""
                                                      << "com.example.Unlisted";
        QTest::newRow("a shell entry names no shell") << "/usr/bin/bash"
                                                      << "bash"
                                                      << ""
                                                      << ""
                                                      << ""
                                                      << "bash";
        QTest::newRow("GeckoMain thread name never used") << "/usr/lib/firefox-esr/firefox-esr"
                                                          << ""
                                                          << ""
                                                          << ""
                                                          << ""
                                                          << "Firefox ESR";
    }

    void namingRule()
    {
        QFETCH(QString, executable);
        QFETCH(QString, invoked);
        QFETCH(QString, sandbox);
        QFETCH(QString, stream);
        QFETCH(QString, portal);
        QFETCH(QString, name);
        QTemporaryDir data;
        writeEntry(
            data.path(), "firefox-esr.desktop",
            "[Desktop Entry]\nType=Application\nName=Firefox ESR\nExec=/usr/lib/firefox-esr/firefox-esr %u\n"
            "[Desktop Action new]\nName=New Window\nExec=/usr/bin/other\n");
        writeEntry(data.path(), "Zoom.desktop",
                   "[Desktop Entry]\nType=Application\nName=Zoom Workplace\n"
                   "Exec=env BAMF=1 /usr/bin/zoom %U\n");
        writeEntry(
            data.path(), "org.telegram.desktop.desktop",
            "[Desktop Entry]\nType=Application\nName=Telegram\nExec=flatpak run org.telegram.desktop\n");
        writeEntry(data.path(), "discord_discord.desktop",
                   "[Desktop Entry]\nType=Application\nName=Discord\nExec=/snap/bin/discord\n");
        writeEntry(data.path(), "shell.desktop",
                   "[Desktop Entry]\nType=Application\nName=Shell Thing\n"
                   "Exec=sh -c 'bash foo'\n");
        writeEntry(data.path(), "hidden.desktop",
                   "[Desktop Entry]\nType=Application\nName=Hidden\nHidden=true\nExec=/usr/bin/pw-cat\n");
        const DesktopEntries entries({data.path()});
        ProcessFacts facts;
        facts.pid = 1234;
        facts.executable = executable;
        facts.invokedName = invoked;
        facts.sandboxAppId = sandbox;
        QCOMPARE(AppNamer::choose(facts, stream, portal, entries), name);
    }

    void sandboxIdsFromCgroups_data()
    {
        QTest::addColumn<QByteArray>("cgroup");
        QTest::addColumn<QString>("id");
        QTest::newRow("flatpak") << QByteArray("0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                                               "app-flatpak-org.mozilla.firefox-12345.scope\n")
                                 << "org.mozilla.firefox";
        QTest::newRow("snap") << QByteArray("0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                                            "snap.discord.discord-0d3b0f5e.scope\n")
                              << "discord";
        QTest::newRow("plain app") << QByteArray("0::/user.slice/user-1000.slice/session-2.scope\n") << "";
    }

    void sandboxIdsFromCgroups()
    {
        QFETCH(QByteArray, cgroup);
        QFETCH(QString, id);
        QCOMPARE(ProcessFiles::sandboxAppIdFromCgroup(cgroup), id);
    }

    void ownProcessesAreNeverNamed()
    {
        const qint64 self = QCoreApplication::applicationPid();
        const AppNamer namer(QStringLiteral("/proc"), std::make_shared<const DesktopEntries>(QStringList{}),
                             ProcessFiles::ownExecutables());
        QVERIFY(!namer.name(self, QStringLiteral("anything")));
        const AppNamer other(QStringLiteral("/proc"), std::make_shared<const DesktopEntries>(QStringList{}),
                             {});
        const auto named = other.name(self, {});
        QVERIFY(named);
        QCOMPARE(named->name, QStringLiteral("tst_unit_linuxdetection"));
        QCOMPARE(named->facts.startTime, *ProcessFiles::startTime(QStringLiteral("/proc"), self));
    }

    // A recording whose process has ended while the server still lists its stream keeps its name:
    // named anew from the stream's properties, it would read as another application recording.
    void anEndedProcessKeepsTheNameItsStreamHad()
    {
        QProcess recorder;
        recorder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(recorder.waitForStarted());
        const AppNamer namer(QStringLiteral("/proc"), std::make_shared<const DesktopEntries>(QStringList{}),
                             {});
        CaptureStream stream;
        stream.type = QStringLiteral("microphone");
        stream.app = QStringLiteral("pw-cat"); // what the properties alone name: the client's binary
        stream.streamName = QStringLiteral("pw-record");
        stream.pid = recorder.processId();
        QHash<qint64, QString> names;
        QCOMPARE(namer.nameStreams({stream}, names).value(0).app, QStringLiteral("pw-record"));

        recorder.kill();
        QVERIFY(recorder.waitForFinished());
        QCOMPARE(namer.nameStreams({stream}, names).value(0).app, QStringLiteral("pw-record"));
        // Once the server drops the stream, the name goes with it.
        QVERIFY(namer.nameStreams({}, names).isEmpty());
        QCOMPARE(namer.nameStreams({stream}, names).value(0).app, QStringLiteral("pw-cat"));
    }

    void seenProcessesOnlyNameTheVeryProcessForADay()
    {
        const qint64 self = QCoreApplication::applicationPid();
        ProcessFacts me;
        me.pid = self;
        me.startTime = *ProcessFiles::startTime(QStringLiteral("/proc"), self);
        ProcessFacts reused = me;
        reused.startTime += 1; // the same id, another process
        const QDateTime now = QDateTime::currentDateTimeUtc();
        SeenProcesses seen;
        seen.remember(QStringLiteral("Firefox ESR"), {me, reused}, now);
        QCOMPARE(seen.alive(QStringLiteral("firefox esr"), QStringLiteral("/proc"), now).size(), 1);
        QCOMPARE(seen.alive(QStringLiteral("Zoom"), QStringLiteral("/proc"), now).size(), 0);
        QCOMPARE(
            seen.alive(QStringLiteral("Firefox ESR"), QStringLiteral("/proc"), now.addSecs(23 * 3600)).size(),
            1);
        QCOMPARE(
            seen.alive(QStringLiteral("Firefox ESR"), QStringLiteral("/proc"), now.addSecs(25 * 3600)).size(),
            0);
    }
};

QTEST_GUILESS_MAIN(LinuxDetectionTest)
#include "tst_linuxdetection.moc"
