#pragma once

#include "monitor/AppNamer.h"
#include "monitor/CaptureStreamTracker.h"
#include "monitor/DeviceWatcherPart.h"
#include "monitor/LineProcess.h"
#include "monitor/RestartBackoff.h"

#include <QProcessEnvironment>
#include <QTimer>

#include <chrono>
#include <functional>

struct ProcessResult;

// Microphone streams of a real PulseAudio server: "pactl info" first says who serves the PulseAudio
// protocol; where PipeWire does (pipewire-pulse), its streams are PipeWire's and the part stands down
// (carriedByPipeWire) unless told to watch anyway. Otherwise "pactl subscribe" tells when a source
// output appears, changes or goes; each such event (and the start) lists the source outputs and the
// sources once ("pactl -f json list …"), and every application that starts recording (a monitor
// source is no microphone) is reported once, until its streams stop. The start lists once more a
// second after its first listing: subscribe says nothing when it has taken hold, and a recording
// that began in between would otherwise wait for the next event. No list runs while nothing
// happens. The text of subscribe is read (its JSON form has no line breaks), in the C locale like
// every tool we parse.
class PulseAudioStreamWatcher : public DeviceWatcherPart
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultTimeLimit{std::chrono::seconds(5)};
    static constexpr std::chrono::milliseconds settleDelay{std::chrono::seconds(1)};

    explicit PulseAudioStreamWatcher(std::chrono::milliseconds listTimeLimit = defaultTimeLimit,
                                     QObject* parent = nullptr);
    ~PulseAudioStreamWatcher() override;

    void start() override;
    void stop() override;

    static QStringList subscribeArguments();
    static QStringList listArguments();
    static QStringList sourcesArguments();
    static QStringList infoArguments();

    // Whether a pipewire-pulse server is watched too (when PipeWire itself cannot be watched).
    void setNamer(const AppNamer* namer) { m_namer = namer; }
    void setWatchPipeWire(bool watch) { m_watchPipeWire = watch; }
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    // One listing was applied (tests wait on it).
    void listApplied();
    // The server is pipewire-pulse and the part stopped: PipeWire's own watch covers these streams.
    void carriedByPipeWire();

private:
    void begin();
    void subscribe();
    void requestList();
    void listSources(const ProcessResult& outputs);
    void applyList(const ProcessResult& outputs, const ProcessResult& sources);
    void runPactl(const QStringList& arguments, std::function<void(const ProcessResult&)> done);
    void giveUp(const QString& reason);

    std::chrono::milliseconds m_listTimeLimit;
    bool m_watchPipeWire = false;
    const AppNamer* m_namer = nullptr;
    QHash<qint64, QString> m_namesByPid; // the names given to the processes behind the streams
    LineProcess m_subscription;
    CaptureStreamTracker m_tracker;
    RestartBackoff m_backoff;
    QTimer m_restartTimer;
    QTimer m_settleTimer;
    bool m_settleAfterList = false;
    bool m_running = false;
    bool m_everWorked = false;
    bool m_listRunning = false;
    bool m_listPending = false;
    quint64 m_session = 0;
};
