#pragma once

#include "monitor/AppNamer.h"
#include "monitor/CaptureStreamTracker.h"
#include "monitor/DeviceWatcherPart.h"
#include "monitor/LineProcess.h"
#include "monitor/PipeWireDumpSplitter.h"
#include "monitor/PipeWireGraph.h"
#include "monitor/RestartBackoff.h"

#include <QTimer>

#include <chrono>

// Microphone and portal-camera streams of PipeWire, from one long-running "pw-dump --monitor": every
// application whose capture stream starts running is reported once, until its streams stop.
// When pw-dump is missing, or gives no first document within the start-up limit, PipeWire counts as
// absent: the part says so (unavailable) and stops. Once it has worked, a pw-dump that ends is
// restarted after a growing delay.
class PipeWireStreamWatcher : public DeviceWatcherPart
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultStartupLimit{std::chrono::seconds(10)};
    // After a (re)start, streams known from before are kept this long while the graph fills in.
    static constexpr std::chrono::milliseconds settleTime{1000};

    explicit PipeWireStreamWatcher(std::chrono::milliseconds startupLimit = defaultStartupLimit,
                                   QObject* parent = nullptr);
    ~PipeWireStreamWatcher() override;

    void start() override;
    void stop() override;

    static QStringList arguments();
    // Names the streams' applications; without one, streams keep the names their properties give.
    void setNamer(const AppNamer* namer) { m_namer = namer; }

Q_SIGNALS:
    // One document was applied (tests wait on it).
    void documentApplied();

private:
    void launch();
    void onLine(const QByteArray& line);
    void onEnded(const QString& reason);
    void report();

    const AppNamer* m_namer = nullptr;
    QHash<qint64, QString> m_namesByPid; // the names given to the processes behind the streams
    LineProcess m_process;
    PipeWireDumpSplitter m_splitter;
    PipeWireGraph m_graph;
    CaptureStreamTracker m_tracker;
    RestartBackoff m_backoff;
    QTimer m_startupTimer;
    QTimer m_restartTimer;
    QTimer m_settleTimer;
    bool m_running = false;
    bool m_everWorked = false;
    bool m_awaitingFirstDocument = false;
};
