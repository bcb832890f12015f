#include "monitor/PulseAudioStreamWatcher.h"

#include "monitor/PulseSourceOutputs.h"
#include "platform/ChildProcess.h"
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

} // namespace

PulseAudioStreamWatcher::PulseAudioStreamWatcher(std::chrono::milliseconds listTimeLimit, QObject* parent)
    : DeviceWatcherPart(parent), m_listTimeLimit(listTimeLimit)
{
    m_restartTimer.setSingleShot(true);
    connect(&m_restartTimer, &QTimer::timeout, this, [this]() {
        subscribe();
        // Events may have been missed while the subscription was down.
        requestList();
    });
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

QProcessEnvironment PulseAudioStreamWatcher::toolEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LC_ALL"));
    environment.insert(QStringLiteral("LC_NUMERIC"), QStringLiteral("C"));
    return environment;
}

void PulseAudioStreamWatcher::start()
{
    if (m_running)
        return;
    m_running = true;
    m_everWorked = false;
    ++m_session;
    m_backoff.reset();
    subscribe();
    requestList();
}

void PulseAudioStreamWatcher::stop()
{
    m_running = false;
    ++m_session; // a listing still running is dropped
    m_listRunning = m_listPending = false;
    m_restartTimer.stop();
    m_subscription.stop();
    m_tracker.clear();
}

void PulseAudioStreamWatcher::subscribe()
{
    if (m_running)
        m_subscription.start(ToolPaths::path(Tool::Pactl), subscribeArguments(), toolEnvironment());
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
    ProcessOptions options;
    options.timeoutMs = int(m_listTimeLimit.count());
    options.outputCap = 8 * 1024 * 1024;
    options.environment = toolEnvironment();
    const quint64 session = m_session;
    ChildProcess::run(ToolPaths::path(Tool::Pactl), listArguments(), options, this,
                      [this, session](const ProcessResult& result) {
                          if (session != m_session)
                              return;
                          m_listRunning = false;
                          applyList(result);
                          if (std::exchange(m_listPending, false))
                              requestList();
                      });
}

void PulseAudioStreamWatcher::applyList(const ProcessResult& result)
{
    if (!result.succeeded() || result.outputTruncated) {
        // Before pactl has ever answered, the server counts as absent; later failures keep the last
        // known streams until the next event lists them again.
        if (!m_everWorked)
            giveUp(failureText(result));
        return;
    }
    m_everWorked = true;
    const std::optional<QList<CaptureStream>> streams = PulseSourceOutputs::parse(result.standardOutput);
    if (!streams)
        return; // garbled listing: the last known state stands
    for (const CaptureStream& stream : m_tracker.update(*streams))
        Q_EMIT accessDetected(stream.type, stream.app, stream.details);
    Q_EMIT listApplied();
}

void PulseAudioStreamWatcher::giveUp(const QString& reason)
{
    if (!m_running)
        return;
    stop();
    Q_EMIT unavailable(reason);
}
