#pragma once

#include "monitor/AccessSource.h"
#include "monitor/AppNamer.h"
#include "monitor/InotifyWatcher.h"
#include "monitor/VideoNodes.h"

#include <QDBusConnection>
#include <QSet>

#include <chrono>
#include <memory>
#include <optional>

class GeoClueWatcher;
class PipeWireStreamWatcher;
class PulseAudioStreamWatcher;
class VideoDeviceWatcher;

struct LinuxDeviceWatcherConfig
{
    QString procRoot = QStringLiteral("/proc");
    QString devRoot = QStringLiteral("/dev");
    // Absent: the real system bus.
    std::optional<QDBusConnection> systemBus;
    // Owner of the PipeWire daemons' executables (root); tests use their own user.
    uid_t systemOwnerUid = 0;
    VideoNodes::CaptureProbe captureProbe = &VideoNodes::queryCapture;
    // How long pw-dump may take to answer first, and pactl to list.
    std::chrono::milliseconds toolStartupLimit{std::chrono::seconds(10)};
    std::chrono::milliseconds toolTimeLimit{std::chrono::seconds(5)};
    // Where the sound servers' sockets appear ("pipewire-0", "pulse/native"); empty: not watched.
    QString runtimeDirectory;
    // The executables whose processes are ours and never reported.
    QSet<QString> ownExecutables;
    // Absent: the session's XDG directories.
    std::optional<QStringList> desktopDataDirectories;

    // The real system, with HALVEX_PROC_ROOT and HALVEX_DEV_ROOT applied.
    static LinuxDeviceWatcherConfig fromEnvironment();
};

// Our own source of accesses on Linux desktops, event-driven: camera nodes through inotify and /proc,
// microphone and camera streams through PipeWire, microphone streams of a real PulseAudio server
// beside it (each server that carries audio is watched, none twice), and location through GeoClue.
// It only reports accesses, so the engine and the backend service can both use it. A part that cannot
// work says so once per start on a "[DeviceWatcher]" line, and the others go on; a sound server that
// starts later is picked up when its socket appears.
class LinuxDeviceWatcher : public AccessSource
{
    Q_OBJECT
public:
    explicit LinuxDeviceWatcher(LinuxDeviceWatcherConfig config = LinuxDeviceWatcherConfig::fromEnvironment(),
                                QObject* parent = nullptr);
    ~LinuxDeviceWatcher() override;

    void start() override;
    void stop() override;

    VideoDeviceWatcher& camera() const { return *m_camera; }
    PipeWireStreamWatcher& pipeWire() const { return *m_pipeWire; }
    PulseAudioStreamWatcher& pulseAudio() const { return *m_pulseAudio; }
    GeoClueWatcher& location() const { return *m_location; }

private:
    void report(const QString& watch, const QString& reason);
    // A watch reported unavailable works again.
    void recovered(const QString& watch);
    void watchRuntimeDirectory();
    void onRuntimeEvent(int descriptor, quint32 mask, const QByteArray& name);

    LinuxDeviceWatcherConfig m_config;
    std::shared_ptr<const DesktopEntries> m_entries;
    std::shared_ptr<const AppNamer> m_namer;
    InotifyWatcher m_runtimeWatch;
    int m_runtimeDescriptor = -1;
    int m_pulseDescriptor = -1;
    bool m_pipeWireDown = false;
    bool m_pulseDown = false;
    VideoDeviceWatcher* m_camera;
    PipeWireStreamWatcher* m_pipeWire;
    PulseAudioStreamWatcher* m_pulseAudio;
    GeoClueWatcher* m_location;
    QString m_pipeWireFailure;
    QSet<QString> m_reported;
};
