#include "support/SoundSession.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

namespace {

const QStringList sessionVariables{"XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS", "XDG_STATE_HOME",
                                   "XDG_CONFIG_HOME", "PULSE_RUNTIME_PATH",       "PULSE_SERVER",
                                   "PIPEWIRE_REMOTE", "PULSE_STATE_PATH"};

const char* pulseConfiguration = "load-module module-native-protocol-unix\n"
                                 "load-module module-null-sink sink_name=speaker\n"
                                 "load-module module-null-source source_name=microphone\n";

} // namespace

SoundSession::SoundSession()
{
    for (const QString& name : sessionVariables) {
        const QByteArray key = name.toLatin1();
        m_savedEnvironment.insert(name, qEnvironmentVariableIsSet(key) ? qgetenv(key) : QByteArray("\x01"));
        qunsetenv(key);
    }
    QDir().mkpath(runtimeDirectory());
    QFile::setPermissions(runtimeDirectory(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtimeDirectory().toUtf8());
    qputenv("XDG_STATE_HOME", (m_dir.path() + QStringLiteral("/state")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + QStringLiteral("/config")).toUtf8());
    qputenv("PULSE_STATE_PATH", (m_dir.path() + QStringLiteral("/pulse-state")).toUtf8());
    m_bus = std::make_unique<PrivateDBus>();
    if (m_bus->isRunning())
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toUtf8());
}

SoundSession::~SoundSession()
{
    // Clients first, then the servers in reverse order of their start.
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
        QProcess& process = **it;
        if (process.state() == QProcess::NotRunning)
            continue;
        process.terminate();
        if (!process.waitForFinished(2000)) {
            process.kill();
            process.waitForFinished(1000);
        }
    }
    m_processes.clear();
    m_bus.reset();
    for (auto it = m_savedEnvironment.cbegin(); it != m_savedEnvironment.cend(); ++it) {
        if (it.value() == "\x01")
            qunsetenv(it.key().toLatin1());
        else
            qputenv(it.key().toLatin1(), it.value());
    }
}

QStringList SoundSession::missingPrograms(const QStringList& programs)
{
    QStringList missing;
    for (const QString& program : programs) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            missing.append(program);
    }
    return missing;
}

QProcess* SoundSession::startServer(const QString& program, const QStringList& arguments)
{
    QProcess* process = startClient(program, arguments);
    m_servers.insert(program, process);
    return process;
}

QProcess* SoundSession::startClient(const QString& program, const QStringList& arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program, arguments);
    process->waitForStarted(5000);
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

void SoundSession::stopClient(QProcess* client)
{
    client->terminate();
    if (!client->waitForFinished(2000)) {
        client->kill();
        client->waitForFinished(1000);
    }
}

void SoundSession::stopServer(const QString& program)
{
    if (QProcess* server = m_servers.take(program)) {
        server->kill(); // a crash, not a tidy exit: what the watchers must survive
        server->waitForFinished(2000);
    }
}

QByteArray SoundSession::run(const QString& program, const QStringList& arguments) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    return process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray();
}

bool SoundSession::waitForPactl(bool pipeWire) const
{
    const QByteArray expected = pipeWire ? "on PipeWire" : "\"server_name\":\"pulseaudio\"";
    return QTest::qWaitFor([&] { return run("pactl", {"-f", "json", "info"}).contains(expected); }, 8000);
}

bool SoundSession::startPipeWire(bool withPulse)
{
    startServer(QStringLiteral("pipewire"), {});
    if (!QTest::qWaitFor([&] { return QFile::exists(runtimeDirectory() + QStringLiteral("/pipewire-0")); },
                         5000))
        return false;
    startServer(QStringLiteral("wireplumber"), {});
    if (!QTest::qWaitFor([&] { return run("pw-dump", {}).contains("\"WirePlumber\""); }, 8000))
        return false;
    // A null source in the place of a microphone; WirePlumber links the streams that ask for it.
    run("pw-cli", {"create-node", "adapter",
                   "{ factory.name=support.null-audio-sink node.name=halvex-test-mic "
                   "media.class=Audio/Source/Virtual audio.position=[MONO] object.linger=true }"});
    if (!QTest::qWaitFor([&] { return run("pw-dump", {}).contains("\"halvex-test-mic\""); }, 5000))
        return false;
    if (!withPulse)
        return true;
    startServer(QStringLiteral("pipewire-pulse"), {});
    return waitForPactl(true);
}

bool SoundSession::startPulseAudio()
{
    const QString configuration = m_dir.path() + QStringLiteral("/default.pa");
    QFile file(configuration);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(pulseConfiguration);
    file.close();
    startServer(QStringLiteral("pulseaudio"),
                {"-n", "-F", configuration, "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                 "--use-pid-file=no", "--log-target=stderr"});
    return waitForPactl(false);
}

bool SoundSession::addCamera(const QString& nodeName)
{
    startClient(
        QStringLiteral("gst-launch-1.0"),
        {"-q", "videotestsrc", "is-live=true", "!", "video/x-raw,width=160,height=120,framerate=10/1", "!",
         "pipewiresink", "mode=provide", "client-name=halvex-test-camera",
         "stream-properties=props,media.class=Video/Source,media.role=Camera,device.api=v4l2,node.name=" +
             nodeName});
    return QTest::qWaitFor([&] { return run("pw-dump", {}).contains("\"" + nodeName.toUtf8() + "\""); },
                           8000);
}
