#include "monitor/PulseAudioStreamWatcher.h"

#include "monitor/PulseSourceOutputs.h"
#include "platform/ChildProcess.h"
#include "platform/ToolEnvironment.h"
#include "platform/ToolPaths.h"

namespace {

QString failureText(const ProcessResult& result)
{
    if (!result.started && !result.timedOut)
        return QStringLiteral("pactl: ") + result.errorString;
    if (result.timedOut)
        return QStringLiteral("pactl gave no answer in time");
    if (result.outputTruncated)
        return QStringLiteral("pactl wrote an oversized listing");
    return QStringLiteral("pactl exited with status ") + QString::number(result.exitCode);
}

bool answered(const ProcessResult& result)
{
    return result.succeeded() && !result.outputTruncated;
}

} // namespace

PulseAudioStreamWatcher::PulseAudioStreamWatcher(std::chrono::milliseconds listTimeLimit, QObject* parent)
    : DeviceWatcherPart(parent), m_listTimeLimit(listTimeLimit)
{
    m_restartTimer.setSingleShot(true);
    // The server may have changed while the subscription was down: ask who it is again.
    connect(&m_restartTimer, &QTimer::timeout, this, &PulseAudioStreamWatcher::begin);
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(settleDelay);
    connect(&m_settleTimer, &QTimer::timeout, this, &PulseAudioStreamWatcher::requestList);
    connect(&m_subscription, &LineProcess::lineReceived, this, [this](const QByteArray& line) {
        if (line.contains("on source-output"))
            requestList();
    });
    connect(&m_subscription, &LineProcess::failedToStart, this,
            [this](const QString& error) { giveUp(QStringLiteral("pactl: ") + error); });
    connect(&m_subscription, &LineProcess::finished, this, [this]() {
        if (m_running)
            m_restartTimer.start(m_backoff.next());
    });
}

PulseAudioStreamWatcher::~PulseAudioStreamWatcher()
{
    stop();
}

QStringList PulseAudioStreamWatcher::subscribeArguments()
{
    return {QStringLiteral("subscribe")};
}

QStringList PulseAudioStreamWatcher::listArguments()
{
    return {QStringLiteral("-f"), QStringLiteral("json"), QStringLiteral("list"),
            QStringLiteral("source-outputs")};
}

QStringList PulseAudioStreamWatcher::sourcesArguments()
{
    return {QStringLiteral("-f"), QStringLiteral("json"), QStringLiteral("list"), QStringLiteral("sources")};
}

QStringList PulseAudioStreamWatcher::infoArguments()
{
    return {QStringLiteral("-f"), QStringLiteral("json"), QStringLiteral("info")};
}

void PulseAudioStreamWatcher::start()
{
    if (m_running)
        return;
    m_running = true;
    m_everWorked = false;
    m_backoff.reset();
    begin();
}

void PulseAudioStreamWatcher::stop()
{
    m_running = false;
    ++m_session; // a listing still running is dropped
    m_listRunning = m_listPending = m_settleAfterList = false;
    m_restartTimer.stop();
    m_settleTimer.stop();
    m_subscription.stop();
    // The tracker stays: applications still recording when watching resumes are not new accesses.
}

void PulseAudioStreamWatcher::runPactl(const QStringList& arguments,
                                       std::function<void(const ProcessResult&)> done)
{
    ProcessOptions options;
    options.timeoutMs = int(m_listTimeLimit.count());
    options.outputCap = 8 * 1024 * 1024;
    options.environment = ToolEnvironment::forParsing();
    const quint64 session = m_session;
    ChildProcess::run(ToolPaths::path(Tool::Pactl), arguments, options, this,
                      [this, session, done](const ProcessResult& result) {
                          if (session == m_session)
                              done(result);
                      });
}

void PulseAudioStreamWatcher::begin()
{
    if (!m_running)
        return;
    ++m_session;
    m_listRunning = m_listPending = m_settleAfterList = false;
    m_settleTimer.stop();
    m_subscription.stop();
    runPactl(infoArguments(), [this](const ProcessResult& result) {
        const std::optional<bool> pipeWire =
            answered(result) ? PulseSourceOutputs::servedByPipeWire(result.standardOutput) : std::nullopt;
        if (!pipeWire) {
            // Before the server has ever answered, it counts as absent; later it is asked again.
            if (!m_everWorked)
                giveUp(failureText(result));
            else
                m_restartTimer.start(m_backoff.next());
            return;
        }
        if (*pipeWire && !m_watchPipeWire) {
            stop();
            m_tracker.clear();
            Q_EMIT carriedByPipeWire();
            return;
        }
        subscribe();
        m_settleAfterList = true;
        requestList();
    });
}

void PulseAudioStreamWatcher::subscribe()
{
    if (m_running)
        m_subscription.start(ToolPaths::path(Tool::Pactl), subscribeArguments(),
                             ToolEnvironment::forParsing());
}

void PulseAudioStreamWatcher::requestList()
{
    if (!m_running)
        return;
    // Events during a listing are folded into one more listing after it.
    if (m_listRunning) {
        m_listPending = true;
        return;
    }
    m_listRunning = true;
    runPactl(listArguments(), [this](const ProcessResult& outputs) { listSources(outputs); });
}

void PulseAudioStreamWatcher::listSources(const ProcessResult& outputs)
{
    auto finish = [this, outputs](const ProcessResult& sources) {
        m_listRunning = false;
        applyList(outputs, sources);
        if (std::exchange(m_settleAfterList, false))
            m_settleTimer.start();
        if (std::exchange(m_listPending, false))
            requestList();
    };
    // Only a recording needs its source looked up.
    if (answered(outputs) && outputs.standardOutput.trimmed() != "[]")
        runPactl(sourcesArguments(), finish);
    else
        finish(ProcessResult{});
}

void PulseAudioStreamWatcher::applyList(const ProcessResult& outputs, const ProcessResult& sources)
{
    if (!answered(outputs)) {
        // Before pactl has ever answered, the server counts as absent; later failures keep the last
        // known streams until the next event lists them again.
        if (!m_everWorked)
            giveUp(failureText(outputs));
        return;
    }
    m_everWorked = true;
    m_backoff.reset();
    const std::optional<QSet<qint64>> monitors =
        answered(sources) ? PulseSourceOutputs::monitorSources(sources.standardOutput)
                          : std::optional<QSet<qint64>>(QSet<qint64>());
    const std::optional<QList<CaptureStream>> streams =
        PulseSourceOutputs::parse(outputs.standardOutput, monitors.value_or(QSet<qint64>()));
    if (!streams)
        return; // garbled listing: the last known state stands
    m_tracker.report(*this, m_namer ? m_namer->nameStreams(*streams, m_namesByPid) : *streams);
    Q_EMIT listApplied();
}

void PulseAudioStreamWatcher::giveUp(const QString& reason)
{
    if (!m_running)
        return;
    stop();
    m_tracker.clear();
    Q_EMIT unavailable(reason);
}
