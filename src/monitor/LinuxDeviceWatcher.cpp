#include "monitor/LinuxDeviceWatcher.h"

#include "monitor/GeoClueWatcher.h"
#include "monitor/PipeWireStreamWatcher.h"
#include "monitor/PulseAudioStreamWatcher.h"
#include "monitor/SoundServerSockets.h"
#include "monitor/VideoDeviceWatcher.h"
#include "platform/Diagnostics.h"
#include "platform/SystemRoots.h"

#include <QDir>
#include <QtConcurrent>

namespace {
constexpr quint32 socketEvents = InotifyWatcher::Created | InotifyWatcher::MovedTo;
} // namespace

LinuxDeviceWatcherConfig LinuxDeviceWatcherConfig::fromEnvironment()
{
    LinuxDeviceWatcherConfig config;
    config.procRoot = SystemRoots::procRoot();
    config.devRoot = SystemRoots::devRoot();
    config.runtimeDirectory = qEnvironmentVariable("XDG_RUNTIME_DIR");
    config.ownExecutables = AppNamer::ownExecutablesOfThisProgram();
    return config;
}

LinuxDeviceWatcher::LinuxDeviceWatcher(LinuxDeviceWatcherConfig config, QObject* parent)
    : AccessSource(parent), m_config(std::move(config))
{
    // The session's index is shared by every watcher of the process and lives as long as it.
    m_entries =
        m_config.desktopDataDirectories
            ? std::make_shared<const DesktopEntries>(*m_config.desktopDataDirectories)
            : std::shared_ptr<const DesktopEntries>(std::shared_ptr<void>(), &DesktopEntries::shared());
    m_namer = std::make_shared<const AppNamer>(m_config.procRoot, m_entries, m_config.ownExecutables);
    VideoDeviceWatcher::Options cameraOptions;
    cameraOptions.procRoot = m_config.procRoot;
    cameraOptions.devRoot = m_config.devRoot;
    cameraOptions.systemOwnerUid = m_config.systemOwnerUid;
    cameraOptions.captureProbe = m_config.captureProbe;
    cameraOptions.namer = m_namer;
    m_camera = new VideoDeviceWatcher(cameraOptions, this);
    m_pipeWire = new PipeWireStreamWatcher(m_config.toolStartupLimit, this);
    m_pipeWire->setNamer(m_namer.get());
    m_pulseAudio = new PulseAudioStreamWatcher(m_config.toolTimeLimit, this);
    m_pulseAudio->setNamer(m_namer.get());
    m_location =
        new GeoClueWatcher(m_config.systemBus ? *m_config.systemBus : QDBusConnection::systemBus(), this);

    m_location->setDesktopIdNamer([entries = m_entries](const QString& desktopId) {
        return entries->nameForAppId(desktopId).value_or(desktopId);
    });
    m_location->setDesktopIdNamer([entries = m_entries](const QString& desktopId) {
        return entries->nameForAppId(desktopId).value_or(desktopId);
    });
    for (DeviceWatcherPart* part :
         std::initializer_list<DeviceWatcherPart*>{m_camera, m_pipeWire, m_pulseAudio, m_location}) {
        connect(part, &AccessSource::accessDetected, this, &AccessSource::accessDetected);
        connect(part, &AccessSource::processesSeen, this, &AccessSource::processesSeen);
    }
    connect(m_camera, &DeviceWatcherPart::unavailable, this,
            [this](const QString& reason) { report(QStringLiteral("camera"), reason); });
    connect(m_location, &DeviceWatcherPart::unavailable, this,
            [this](const QString& reason) { report(QStringLiteral("location"), reason); });
    // Each server is asked who it is: a real PulseAudio is watched beside PipeWire, pipewire-pulse's
    // streams are PipeWire's own, unless PipeWire cannot be watched at all.
    connect(m_pipeWire, &DeviceWatcherPart::unavailable, this, [this](const QString& reason) {
        m_pipeWireFailure = reason;
        m_pipeWireDown = true;
        m_pulseAudio->stop();
        m_pulseAudio->setWatchPipeWire(true);
        m_pulseAudio->start();
    });
    connect(m_pulseAudio, &DeviceWatcherPart::unavailable, this, [this](const QString& reason) {
        m_pulseDown = true;
        if (m_pipeWireDown)
            report(QStringLiteral("microphone"), m_pipeWireFailure + QStringLiteral("; ") + reason);
    });
    connect(&m_runtimeWatch, &InotifyWatcher::eventReceived, this, &LinuxDeviceWatcher::onRuntimeEvent);
}

LinuxDeviceWatcher::~LinuxDeviceWatcher()
{
    stop();
}

void LinuxDeviceWatcher::start()
{
    m_reported.clear();
    m_pipeWireFailure.clear();
    m_pipeWireDown = m_pulseDown = false;
    // The desktop entries are read off the main thread, before the first stream needs a name.
    (void)QtConcurrent::run([entries = m_entries]() { (void)entries->nameForAppId(QStringLiteral("-")); });
    watchRuntimeDirectory();
    m_camera->start();
    m_pipeWire->start();
    m_pulseAudio->setWatchPipeWire(false);
    m_pulseAudio->start();
    m_location->start();
}

void LinuxDeviceWatcher::stop()
{
    m_runtimeWatch.close();
    m_runtimeDescriptor = m_pulseDescriptor = -1;
    m_camera->stop();
    m_pipeWire->stop();
    m_pulseAudio->stop();
    m_location->stop();
}

void LinuxDeviceWatcher::watchRuntimeDirectory()
{
    m_runtimeWatch.close();
    m_runtimeDescriptor = m_pulseDescriptor = -1;
    if (m_config.runtimeDirectory.isEmpty() || !m_runtimeWatch.open(nullptr))
        return;
    m_runtimeDescriptor = m_runtimeWatch.addWatch(m_config.runtimeDirectory, socketEvents);
    m_pulseDescriptor = m_runtimeWatch.addWatch(
        SoundServerSockets::pulseDirectoryPath(m_config.runtimeDirectory), socketEvents);
}

// A server that was absent (or died) is tried again as soon as its socket appears.
void LinuxDeviceWatcher::onRuntimeEvent(int descriptor, quint32 mask, const QByteArray& name)
{
    if ((mask & InotifyWatcher::WatchRemoved) && descriptor == m_pulseDescriptor) {
        m_pulseDescriptor = -1; // the server's directory went with it; its return is seen above
        return;
    }
    if (descriptor == m_runtimeDescriptor && name == SoundServerSockets::pulseDirectory &&
        m_pulseDescriptor < 0) {
        m_pulseDescriptor = m_runtimeWatch.addWatch(
            SoundServerSockets::pulseDirectoryPath(m_config.runtimeDirectory), socketEvents);
        if (QFile::exists(SoundServerSockets::pulseAudioPath(m_config.runtimeDirectory)))
            onRuntimeEvent(m_pulseDescriptor, InotifyWatcher::Created, SoundServerSockets::pulseSocket);
        return;
    }
    if (descriptor == m_runtimeDescriptor && name == SoundServerSockets::pipeWire && m_pipeWireDown) {
        m_pipeWireDown = false;
        recovered(QStringLiteral("microphone"));
        m_pulseAudio->stop();
        m_pulseAudio->setWatchPipeWire(false);
        m_pipeWire->start();
        m_pulseAudio->start();
        return;
    }
    if (descriptor == m_pulseDescriptor && name == SoundServerSockets::pulseSocket &&
        (m_pulseDown || !m_pulseAudio->isRunning())) {
        m_pulseDown = false;
        recovered(QStringLiteral("microphone"));
        m_pulseAudio->setWatchPipeWire(m_pipeWireDown);
        m_pulseAudio->start();
    }
}

void LinuxDeviceWatcher::recovered(const QString& watch)
{
    if (m_reported.remove(watch))
        Q_EMIT watchAvailable(watch);
}

void LinuxDeviceWatcher::report(const QString& watch, const QString& reason)
{
    if (m_reported.contains(watch))
        return;
    m_reported.insert(watch);
    Q_EMIT watchUnavailable(watch, reason);
    Diagnostics::print(QStringLiteral("[DeviceWatcher] ") + watch + QStringLiteral(" watch failed: ") +
                       reason);
}
