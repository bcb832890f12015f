#include "support/SoundSession.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
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

QString SoundSession::logFile(const QString& program) const
{
    return m_dir.path() + QLatin1Char('/') + program + QStringLiteral(".log");
}

QProcess* SoundSession::launch(const QString& program, const QStringList& arguments, const QString& logFile)
{
    auto process = std::make_unique<QProcess>();
    process->setStandardOutputFile(logFile.isEmpty() ? QProcess::nullDevice() : logFile, QIODevice::Append);
    process->setStandardErrorFile(logFile.isEmpty() ? QProcess::nullDevice() : logFile, QIODevice::Append);
    process->start(program, arguments);
    process->waitForStarted(5000);
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

// Under load a server can meet its peer before the peer serves (WirePlumber a PipeWire that has
// made its socket but not yet its core) and exit; one that exits before it answers is started
// again, a few times.
bool SoundSession::startServerUntil(const QString& program, const QStringList& arguments,
                                    const std::function<bool()>& answers)
{
    constexpr int maximumStarts = 3;
    constexpr qint64 limitMs = 15000;
    QElapsedTimer clock;
    clock.start();
    QProcess* server = launch(program, arguments, logFile(program));
    m_servers.insert(program, server);
    int starts = 1;
    while (clock.elapsed() < limitMs) {
        if (answers())
            return true;
        if (server->state() == QProcess::NotRunning) {
            if (starts == maximumStarts)
                break;
            server = launch(program, arguments, logFile(program));
            m_servers.insert(program, server);
            ++starts;
        }
        QTest::qWait(100);
    }
    QFile log(logFile(program));
    const QByteArray written = log.open(QIODevice::ReadOnly) ? log.readAll().right(2000) : QByteArray();
    qWarning().noquote() << program << "did not answer within" << clock.elapsed() << "ms after" << starts
                         << "start(s); it wrote:\n"
                         << QString::fromLocal8Bit(written);
    return false;
}

QProcess* SoundSession::startClient(const QString& program, const QStringList& arguments)
{
    return launch(program, arguments, QString());
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

bool SoundSession::pactlAnswers(bool pipeWire) const
{
    const QByteArray expected = pipeWire ? "on PipeWire" : "\"server_name\":\"pulseaudio\"";
    return run("pactl", {"-f", "json", "info"}).contains(expected);
}

bool SoundSession::startPipeWire(bool withPulse)
{
    // A core that answers pw-dump serves, where a socket file alone may not yet.
    if (!startServerUntil(QStringLiteral("pipewire"), {}, [&] { return !run("pw-dump", {}).isEmpty(); }))
        return false;
    if (!startServerUntil(QStringLiteral("wireplumber"), {},
                          [&] { return run("pw-dump", {}).contains("\"WirePlumber\""); }))
        return false;
    // A null source in the place of a microphone; WirePlumber links the streams that ask for it. The
    // node outlives pw-cli, which is asked again while the node is missing.
    const bool micAdded = QTest::qWaitFor(
        [&] {
            if (run("pw-dump", {}).contains("\"halvex-test-mic\""))
                return true;
            run("pw-cli", {"create-node", "adapter",
                           "{ factory.name=support.null-audio-sink node.name=halvex-test-mic "
                           "media.class=Audio/Source/Virtual audio.position=[MONO] object.linger=true }"});
            return false;
        },
        15000);
    if (!micAdded) {
        qWarning("the null source halvex-test-mic did not appear in PipeWire");
        return false;
    }
    if (!withPulse)
        return true;
    return startServerUntil(QStringLiteral("pipewire-pulse"), {}, [&] { return pactlAnswers(true); });
}

bool SoundSession::startPulseAudio()
{
    const QString configuration = m_dir.path() + QStringLiteral("/default.pa");
    QFile file(configuration);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(pulseConfiguration);
    file.close();
    return startServerUntil(QStringLiteral("pulseaudio"),
                            {"-n", "-F", configuration, "--daemonize=no", "--exit-idle-time=-1",
                             "--disallow-exit", "--use-pid-file=no", "--log-target=stderr"},
                            [&] { return pactlAnswers(false); });
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
