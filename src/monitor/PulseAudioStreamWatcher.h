#pragma once

#include "monitor/CaptureStreamTracker.h"
#include "monitor/DeviceWatcherPart.h"
#include "monitor/LineProcess.h"
#include "monitor/RestartBackoff.h"

#include <QProcessEnvironment>
#include <QTimer>

#include <chrono>

struct ProcessResult;

// Microphone streams of PulseAudio, for systems without PipeWire: "pactl subscribe" tells when a
// source output appears, changes or goes; each such event (and the start) lists the source outputs
// once with "pactl -f json list source-outputs", and every application that starts recording is
// reported once, until its streams stop. No list runs while nothing happens.
class PulseAudioStreamWatcher : public DeviceWatcherPart
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultTimeLimit{std::chrono::seconds(5)};

    explicit PulseAudioStreamWatcher(std::chrono::milliseconds listTimeLimit = defaultTimeLimit,
                                     QObject* parent = nullptr);
    ~PulseAudioStreamWatcher() override;

    void start() override;
    void stop() override;

    static QStringList subscribeArguments();
    static QStringList listArguments();
    // pactl writes numbers in the locale's format, which breaks its JSON unless LC_NUMERIC is "C";
    // LC_ALL would override that, so it is removed.
    static QProcessEnvironment toolEnvironment();

Q_SIGNALS:
    // One listing was applied (tests wait on it).
    void listApplied();

private:
    void subscribe();
    void requestList();
    void applyList(const ProcessResult& result);
    void giveUp(const QString& reason);

    std::chrono::milliseconds m_listTimeLimit;
    LineProcess m_subscription;
    CaptureStreamTracker m_tracker;
    RestartBackoff m_backoff;
    QTimer m_restartTimer;
    bool m_running = false;
    bool m_everWorked = false;
    bool m_listRunning = false;
    bool m_listPending = false;
    quint64 m_session = 0;
};
