#include "monitor/LinuxDeviceWatcher.h"

#include "monitor/GeoClueWatcher.h"
#include "monitor/PipeWireStreamWatcher.h"
#include "monitor/PulseAudioStreamWatcher.h"
#include "monitor/VideoDeviceWatcher.h"
#include "platform/Diagnostics.h"
#include "platform/SystemRoots.h"

LinuxDeviceWatcherConfig LinuxDeviceWatcherConfig::fromEnvironment()
{
    LinuxDeviceWatcherConfig config;
    config.procRoot = SystemRoots::procRoot();
    config.devRoot = SystemRoots::devRoot();
    return config;
}

LinuxDeviceWatcher::LinuxDeviceWatcher(LinuxDeviceWatcherConfig config, QObject* parent)
    : AccessSource(parent)
{
    VideoDeviceWatcher::Options cameraOptions;
    cameraOptions.procRoot = config.procRoot;
    cameraOptions.devRoot = config.devRoot;
    cameraOptions.systemOwnerUid = config.systemOwnerUid;
    cameraOptions.captureProbe = config.captureProbe;
    m_camera = new VideoDeviceWatcher(cameraOptions, this);
    m_pipeWire = new PipeWireStreamWatcher(config.toolStartupLimit, this);
    m_pulseAudio = new PulseAudioStreamWatcher(config.toolTimeLimit, this);
    m_location =
        new GeoClueWatcher(config.systemBus ? *config.systemBus : QDBusConnection::systemBus(), this);

    for (DeviceWatcherPart* part :
         std::initializer_list<DeviceWatcherPart*>{m_camera, m_pipeWire, m_pulseAudio, m_location})
        connect(part, &AccessSource::accessDetected, this, &AccessSource::accessDetected);
    connect(m_camera, &DeviceWatcherPart::unavailable, this,
            [this](const QString& reason) { report(QStringLiteral("camera"), reason); });
    connect(m_location, &DeviceWatcherPart::unavailable, this,
            [this](const QString& reason) { report(QStringLiteral("location"), reason); });
    // Without PipeWire, PulseAudio tells about microphones; only when both fail is that reported.
    connect(m_pipeWire, &DeviceWatcherPart::unavailable, this, [this](const QString& reason) {
        m_pipeWireFailure = reason;
        m_pulseAudio->start();
    });
    connect(m_pulseAudio, &DeviceWatcherPart::unavailable, this, [this](const QString& reason) {
        report(QStringLiteral("microphone"), m_pipeWireFailure + QStringLiteral("; ") + reason);
    });
}

LinuxDeviceWatcher::~LinuxDeviceWatcher()
{
    stop();
}

void LinuxDeviceWatcher::start()
{
    m_reported.clear();
    m_pipeWireFailure.clear();
    m_camera->start();
    m_pipeWire->start();
    m_location->start();
}

void LinuxDeviceWatcher::stop()
{
    m_camera->stop();
    m_pipeWire->stop();
    m_pulseAudio->stop();
    m_location->stop();
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
