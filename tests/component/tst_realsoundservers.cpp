#include "monitor/LinuxDeviceWatcher.h"
#include "monitor/SeenProcesses.h"
#include "platform/ForceQuit.h"
#include "support/SoundSession.h"
#include "support/TestEnvironment.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

// The Linux device watcher against real servers started privately: PipeWire 0.3 with WirePlumber and
// pipewire-pulse, PulseAudio 16, and their real clients (pw-record, parecord, arecord through ALSA's
// pulse plug-in, GStreamer's pipewiresrc on a camera-like node).
namespace {

const QStringList pipeWirePrograms{"pipewire", "wireplumber", "pw-dump", "pw-cli", "pw-record"};
const QStringList pulsePrograms{"pulseaudio", "pactl", "parecord"};

// Skips, saying what is missing, only when the packages are not installed.
#define REQUIRE_PROGRAMS(programs)                                                                           \
    do {                                                                                                     \
        const QStringList missing = SoundSession::missingPrograms(programs);                                 \
        if (!missing.isEmpty())                                                                              \
            QSKIP(qPrintable(QStringLiteral("not installed (scripts/setup.sh installs them): ") +            \
                             missing.join(u' ')));                                                           \
    } while (false)

// A watcher on the session, with no camera node and no desktop entries, so names come from the
// streams and the processes alone.
struct Watched
{
    explicit Watched(SoundSession& session)
    {
        LinuxDeviceWatcherConfig config;
        config.devRoot = devices.path();
        config.runtimeDirectory = session.runtimeDirectory();
        config.desktopDataDirectories = QStringList{};
        config.ownExecutables = ProcessFiles::ownExecutables();
        config.toolStartupLimit = 3s;
        config.systemBus = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"),
                                                         QStringLiteral("sound-session"));
        watcher = std::make_unique<LinuxDeviceWatcher>(config);
        accesses = std::make_unique<QSignalSpy>(watcher.get(), &AccessSource::accessDetected);
        QObject::connect(watcher.get(), &AccessSource::processesSeen,
                         [this](const QString& app, const QList<ProcessFacts>& processes) {
                             seen.remember(app, processes, QDateTime::currentDateTimeUtc());
                         });
    }
    ~Watched()
    {
        watcher.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("sound-session"));
    }

    QStringList reported() const
    {
        QStringList list;
        for (const QList<QVariant>& access : *accesses)
            list.append(access.at(0).toString() + QLatin1Char(':') + access.at(1).toString());
        return list;
    }
    bool waitFor(const QString& access, int timeoutMs = 8000) const
    {
        return QTest::qWaitFor([&] { return reported().contains(access); }, timeoutMs);
    }

    QTemporaryDir devices;
    SeenProcesses seen;
    std::unique_ptr<LinuxDeviceWatcher> watcher;
    std::unique_ptr<QSignalSpy> accesses;
};

} // namespace

class RealSoundServersTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cameraThroughPipeWireIsFoundByItsLink()
    {
        REQUIRE_PROGRAMS((pipeWirePrograms + QStringList{"gst-launch-1.0"}));
        SoundSession session;
        QVERIFY(session.startPipeWire(false));
        QVERIFY(session.addCamera());
        Watched watched(session);
        watched.watcher->start();
        // The consumer sets no role and no camera property of its own.
        QProcess* consumer =
            session.startClient("gst-launch-1.0", {"-q", "pipewiresrc", "target-object=halvex-test-camera",
                                                   "!", "video/x-raw", "!", "fakesink"});
        QVERIFY2(watched.waitFor("camera:gst-launch-1.0"), qPrintable(watched.reported().join(u',')));
        // The producer of the node is no camera user, and nothing is reported twice.
        QTest::qWait(300);
        QCOMPARE(watched.reported(), QStringList{"camera:gst-launch-1.0"});
        const QList<ProcessFacts> seen =
            watched.seen.alive("gst-launch-1.0", "/proc", QDateTime::currentDateTimeUtc());
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().pid, consumer->processId());
    }

    void pipeWireWithPulseUnderGerman()
    {
        REQUIRE_PROGRAMS((pipeWirePrograms + pulsePrograms + QStringList{"pipewire-pulse", "arecord"}));
        qputenv("LANG", "de_DE.UTF-8");
        qputenv("LANGUAGE", "de");
        SoundSession session;
        QVERIFY(session.startPipeWire(true));
        Watched watched(session);
        watched.watcher->start();
        session.startClient("pw-record", {"--target", "halvex-test-mic", "/dev/null"});
        session.startClient("parecord", {"-d", "halvex-test-mic", "/dev/null"});
        session.startClient("arecord", {"-q", "-f", "S16_LE", "/dev/null"});
        // Desktop audio recorded from the sink's monitor is no microphone.
        session.startClient("parecord", {"-d", "auto_null.monitor", "/dev/null"});
        QVERIFY2(watched.waitFor("microphone:pw-record") && watched.waitFor("microphone:parecord") &&
                     watched.waitFor("microphone:arecord"),
                 qPrintable(watched.reported().join(u',')));
        QTest::qWait(500);
        // pipewire-pulse's streams are PipeWire's: each application once, whichever server is asked.
        QCOMPARE(watched.reported().size(), 3);

        // Stopping and starting protection during the recording alerts no one again.
        watched.watcher->stop();
        watched.watcher->start();
        QTest::qWait(1500);
        QCOMPARE(watched.reported().size(), 3);
        qunsetenv("LANG");
        qunsetenv("LANGUAGE");
    }

    void realPulseAudioBesidePipeWireUnderFrench()
    {
        REQUIRE_PROGRAMS((pipeWirePrograms + pulsePrograms));
        qputenv("LANG", "fr_FR.UTF-8");
        qputenv("LC_MESSAGES", "fr_FR.UTF-8");
        SoundSession session;
        // PipeWire for video and its own clients, PulseAudio carrying the desktop's audio.
        QVERIFY(session.startPipeWire(false));
        QVERIFY(session.startPulseAudio());
        Watched watched(session);
        watched.watcher->start();
        QProcess* monitor = session.startClient("parecord", {"-d", "speaker.monitor", "/dev/null"});
        session.startClient("parecord", {"-d", "microphone", "/dev/null"});
        session.startClient("pw-record", {"--target", "halvex-test-mic", "/dev/null"});
        QVERIFY2(watched.waitFor("microphone:parecord") && watched.waitFor("microphone:pw-record"),
                 qPrintable(watched.reported().join(u',')));
        QTest::qWait(500);
        QCOMPARE(watched.reported().size(), 2);
        const QList<ProcessFacts> recorders =
            watched.seen.alive("parecord", "/proc", QDateTime::currentDateTimeUtc());
        QCOMPARE(recorders.size(), 1);
        QVERIFY(recorders.first().pid != monitor->processId());

        // PipeWire dies; PulseAudio goes on being watched.
        session.stopServer("pipewire");
        QTest::qWait(300);
        session.startClient("pacat", {"--record", "-d", "microphone", "/dev/null"});
        QVERIFY2(watched.waitFor("microphone:pacat"), qPrintable(watched.reported().join(u',')));
        qunsetenv("LANG");
        qunsetenv("LC_MESSAGES");
    }

    void serverStartedAfterTheWatcher()
    {
        REQUIRE_PROGRAMS((pulsePrograms + QStringList{"pw-dump"}));
        SoundSession session;
        Watched watched(session);
        CapturedStdout out;
        QSignalSpy available(watched.watcher.get(), &AccessSource::watchAvailable);
        watched.watcher->start();
        QVERIFY(!out.waitForLineStartingWith("[DeviceWatcher] microphone watch failed: ", 8000).isEmpty());
        QVERIFY(session.startPulseAudio());
        session.startClient("parecord", {"-d", "microphone", "/dev/null"});
        QVERIFY2(watched.waitFor("microphone:parecord"), qPrintable(watched.reported().join(u',')));
        // The failed watch is announced as working again, so the panel stops saying "Unavailable".
        QCOMPARE(available.size(), 1);
        QCOMPARE(available.first().first().toString(), "microphone");
        // PipeWire comes later still: its socket appearing starts its watch.
        if (!SoundSession::missingPrograms(pipeWirePrograms).isEmpty())
            return;
        QVERIFY(session.startPipeWire(false));
        session.startClient("pw-record", {"--target", "halvex-test-mic", "/dev/null"});
        QVERIFY2(watched.waitFor("microphone:pw-record"), qPrintable(watched.reported().join(u',')));
        QCOMPARE(watched.reported().size(), 2);
    }

    void blockEndsExactlyTheProcessSeen()
    {
        REQUIRE_PROGRAMS((pulsePrograms + QStringList{"pw-dump"}));
        SoundSession session;
        QVERIFY(session.startPulseAudio());
        Watched watched(session);
        watched.watcher->start();
        QProcess* recorder = session.startClient("parecord", {"-d", "microphone", "/dev/null"});
        QVERIFY(watched.waitFor("microphone:parecord"));
        // Another parecord that records nothing (the monitor) is not what was seen.
        QProcess* bystander = session.startClient("parecord", {"-d", "speaker.monitor", "/dev/null"});
        QTest::qWait(300);
        const QList<ProcessFacts> seen =
            watched.seen.alive("parecord", "/proc", QDateTime::currentDateTimeUtc());
        QCOMPARE(seen.size(), 1);

        std::optional<ForceQuitOutcome> outcome;
        QObject context;
        ForceQuit().end("parecord", seen, &context,
                        [&](const ForceQuitOutcome& result) { outcome = result; });
        QTRY_VERIFY(outcome);
        QVERIFY(outcome->ended);
        QTRY_COMPARE(recorder->state(), QProcess::NotRunning);
        QCOMPARE(bystander->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(RealSoundServersTest)
#include "tst_realsoundservers.moc"
