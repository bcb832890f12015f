#include "monitor/PipeWireStreamWatcher.h"

#include "platform/ToolEnvironment.h"
#include "platform/ToolPaths.h"

#include <QJsonDocument>

PipeWireStreamWatcher::PipeWireStreamWatcher(std::chrono::milliseconds startupLimit, QObject* parent)
    : DeviceWatcherPart(parent)
{
    m_startupTimer.setSingleShot(true);
    m_startupTimer.setInterval(startupLimit);
    m_restartTimer.setSingleShot(true);
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(settleTime);
    connect(&m_settleTimer, &QTimer::timeout, this, [this]() {
        m_tracker.setHoldingReleases(false);
        report();
    });
    connect(&m_restartTimer, &QTimer::timeout, this, &PipeWireStreamWatcher::launch);
    connect(&m_startupTimer, &QTimer::timeout, this, [this, startupLimit]() {
        m_process.stop();
        onEnded(QStringLiteral("pw-dump gave no answer within %1 ms").arg(startupLimit.count()));
    });
    connect(&m_process, &LineProcess::lineReceived, this, &PipeWireStreamWatcher::onLine);
    connect(&m_process, &LineProcess::failedToStart, this,
            [this](const QString& error) { onEnded(QStringLiteral("pw-dump: ") + error); });
    connect(&m_process, &LineProcess::finished, this,
            [this]() { onEnded(QStringLiteral("pw-dump ended without a first answer")); });
}

PipeWireStreamWatcher::~PipeWireStreamWatcher()
{
    stop();
}

QStringList PipeWireStreamWatcher::arguments()
{
    return {QStringLiteral("--monitor")};
}

void PipeWireStreamWatcher::start()
{
    if (m_running)
        return;
    m_running = true;
    m_everWorked = false;
    m_backoff.reset();
    launch();
}

void PipeWireStreamWatcher::stop()
{
    m_running = false;
    m_startupTimer.stop();
    m_restartTimer.stop();
    m_settleTimer.stop();
    m_process.stop();
    m_graph.clear();
    // The tracker stays: applications still capturing when watching resumes are not new accesses.
}

void PipeWireStreamWatcher::launch()
{
    if (!m_running)
        return;
    m_splitter.reset();
    m_awaitingFirstDocument = true;
    m_settleTimer.stop();
    // Only what was known before the restart needs holding while the new graph fills in.
    m_tracker.setHoldingReleases(!m_tracker.isEmpty());
    m_startupTimer.start();
    m_process.start(ToolPaths::path(Tool::PwDump), arguments(), ToolEnvironment::forParsing());
}

void PipeWireStreamWatcher::onLine(const QByteArray& line)
{
    const std::optional<QByteArray> document = m_splitter.feed(line);
    if (!document)
        return;
    const QJsonDocument json = QJsonDocument::fromJson(*document);
    if (!json.isArray())
        return; // invalid JSON: skipped, the next document carries on
    if (m_awaitingFirstDocument) {
        // The first document of a run is the whole graph; what an earlier run knew is stale.
        m_awaitingFirstDocument = false;
        m_everWorked = true;
        m_startupTimer.stop();
        m_backoff.reset();
        m_graph.clear();
        if (m_tracker.isHoldingReleases())
            m_settleTimer.start();
    }
    m_graph.apply(json.array());
    report();
    Q_EMIT documentApplied();
}

void PipeWireStreamWatcher::report()
{
    const QList<CaptureStream> running = m_graph.runningCaptureStreams();
    m_tracker.report(*this, m_namer ? m_namer->nameStreams(running, m_namesByPid) : running);
}

void PipeWireStreamWatcher::onEnded(const QString& reason)
{
    m_startupTimer.stop();
    if (!m_running)
        return;
    if (!m_everWorked) {
        stop();
        m_tracker.clear();
        Q_EMIT unavailable(reason);
        return;
    }
    // The streams stay as last seen until the restarted pw-dump reports the graph again.
    m_restartTimer.start(m_backoff.next());
}
