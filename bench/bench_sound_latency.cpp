// Linux stream detection latency against real servers started privately (own XDG_RUNTIME_DIR): from
// starting a capturing client to the watcher's report, for a PipeWire microphone (pw-record), a PipeWire
// camera consumer (gst-launch-1.0 pipewiresrc on a videotestsrc camera node) and a microphone on real
// PulseAudio (parecord). The time includes the client's own start-up and connection. Target: at most
// 100 ms worst. Then the watcher's idle wake-ups with no stream (context switches of this process over
// 10 s, target <= 0.2/s). Skipped with a note where the servers are not installed.
#include "BenchUtil.h"
#include "monitor/LinuxDeviceWatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int rounds = 10;
constexpr double targetMs = 100.0;

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    // A timer of this frame, not QTimer::singleShot: a single-shot timer outlives an early return and
    // would wake the process later, in the middle of the idle measurement.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    poll.start(1);
    if (!condition())
        loop.exec();
    return condition();
}

QByteArray runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    process.waitForFinished(5000);
    return process.readAllStandardOutput();
}

struct Servers
{
    std::vector<std::unique_ptr<QProcess>> processes;

    QProcess* start(const QString& program, const QStringList& arguments)
    {
        auto process = std::make_unique<QProcess>();
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start(program, arguments);
        process->waitForStarted();
        processes.push_back(std::move(process));
        return processes.back().get();
    }
    void stop(QProcess* process)
    {
        process->kill();
        process->waitForFinished(2000);
    }
    ~Servers()
    {
        for (auto it = processes.rbegin(); it != processes.rend(); ++it)
            stop(it->get());
    }
};

// Starts `program` `rounds` times and measures until the watcher reports `access`.
bool measure(const char* label, LinuxDeviceWatcher& watcher, Servers& servers, const QString& program,
             const QStringList& arguments, const QString& access)
{
    QList<double> latencies;
    QElapsedTimer clock;
    double reportedAt = -1;
    const auto connection = QObject::connect(&watcher, &AccessSource::accessDetected,
                                             [&](const QString& type, const QString& app, const auto&) {
                                                 if (type + u':' + app == access)
                                                     reportedAt = double(clock.nsecsElapsed()) / 1e6;
                                             });
    for (int round = 0; round < rounds; ++round) {
        reportedAt = -1;
        clock.start();
        QProcess* client = servers.start(program, arguments);
        const bool seen = waitFor([&] { return reportedAt >= 0; }, 5000);
        servers.stop(client);
        if (!seen) {
            std::printf("%s: round %d: no report within 5 s\n", label, round);
            QObject::disconnect(connection);
            return false;
        }
        latencies.append(reportedAt);
        waitFor([] { return false; }, 300); // the stream's end is seen before the next round
    }
    QObject::disconnect(connection);
    std::sort(latencies.begin(), latencies.end());
    std::printf("%-52s %12.3f ms\n", (QByteArray(label) + " median").constData(), latencies[rounds / 2]);
    report((QByteArray(label) + " worst").constData(), latencies.last(), "ms", targetMs);
    return true;
}

qint64 contextSwitches()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    qint64 total = 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.contains("ctxt_switches:"))
            total += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return total;
}

std::unique_ptr<LinuxDeviceWatcher> watcherFor(const QTemporaryDir& devices, const QString& runtime)
{
    LinuxDeviceWatcherConfig config = LinuxDeviceWatcherConfig::fromEnvironment();
    config.devRoot = devices.path();
    config.runtimeDirectory = runtime;
    config.desktopDataDirectories = QStringList{};
    return std::make_unique<LinuxDeviceWatcher>(config);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    for (const char* program : {"pipewire", "wireplumber", "pipewire-pulse", "pulseaudio", "pw-record",
                                "parecord", "gst-launch-1.0", "pactl", "pw-dump"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) {
            std::printf("sound latency: skipped, %s is not installed (scripts/setup.sh installs it)\n",
                        program);
            return 0;
        }
    }
    QTemporaryDir session;
    QTemporaryDir devices;
    const QString runtime = session.path() + QStringLiteral("/run");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    qputenv("XDG_STATE_HOME", (session.path() + QStringLiteral("/state")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (session.path() + QStringLiteral("/config")).toUtf8());
    qunsetenv("PULSE_SERVER");
    // WirePlumber wants a session bus: a private one.
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    bus.waitForStarted();
    while (!bus.canReadLine() && bus.waitForReadyRead(5000)) {
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
    bool ok = true;
    {
        Servers servers;
        servers.start(QStringLiteral("pipewire"), {});
        waitFor([&] { return QFile::exists(runtime + QStringLiteral("/pipewire-0")); }, 5000);
        servers.start(QStringLiteral("wireplumber"), {});
        servers.start(QStringLiteral("pipewire-pulse"), {});
        waitFor([] { return runTool("pw-dump", {}).contains("\"WirePlumber\""); }, 8000);
        runTool("pw-cli", {"create-node", "adapter",
                           "{ factory.name=support.null-audio-sink node.name=bench-mic "
                           "media.class=Audio/Source/Virtual audio.position=[MONO] object.linger=true }"});
        servers.start(
            QStringLiteral("gst-launch-1.0"),
            {"-q", "videotestsrc", "is-live=true", "!", "video/x-raw,width=160,height=120", "!",
             "pipewiresink", "mode=provide",
             "stream-properties=props,media.class=Video/Source,media.role=Camera,node.name=bench-camera"});
        waitFor([] { return runTool("pw-dump", {}).contains("\"bench-camera\""); }, 8000);
        auto watcher = watcherFor(devices, runtime);
        watcher->start();
        waitFor([] { return false; }, 1500);

        // Idle: no stream, nothing should wake the process (the event loop itself sleeps).
        const qint64 before = contextSwitches();
        {
            QEventLoop idle;
            QTimer::singleShot(10000, &idle, &QEventLoop::quit);
            idle.exec();
        }
        report("sound watcher idle wake-ups, no stream", double(contextSwitches() - before) / 10.0, "/s",
               0.2);

        ok &= measure("PipeWire microphone, start to report", *watcher, servers, QStringLiteral("pw-record"),
                      {"--target", "bench-mic", "/dev/null"}, QStringLiteral("microphone:pw-record"));
        ok &=
            measure("PipeWire camera, start to report", *watcher, servers, QStringLiteral("gst-launch-1.0"),
                    {"-q", "pipewiresrc", "target-object=bench-camera", "!", "video/x-raw", "!", "fakesink"},
                    QStringLiteral("camera:gst-launch-1.0"));
    }
    {
        Servers servers;
        const QString configuration = session.path() + QStringLiteral("/default.pa");
        QFile file(configuration);
        file.open(QIODevice::WriteOnly);
        file.write(
            "load-module module-native-protocol-unix\nload-module module-null-source source_name=mic\n");
        file.close();
        servers.start(QStringLiteral("pulseaudio"), {"-n", "-F", configuration, "--daemonize=no",
                                                     "--exit-idle-time=-1", "--use-pid-file=no"});
        waitFor([] { return runTool("pactl", {"info"}).contains("Server Name"); }, 8000);
        auto watcher = watcherFor(devices, runtime);
        watcher->start();
        waitFor([] { return false; }, 1000);
        ok &= measure("PulseAudio microphone, start to report", *watcher, servers, QStringLiteral("parecord"),
                      {"-d", "mic", "/dev/null"}, QStringLiteral("microphone:parecord"));
    }
    bus.kill();
    bus.waitForFinished();
    return ok ? 0 : 1;
}
