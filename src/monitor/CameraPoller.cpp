#include "monitor/CameraPoller.h"

#include "platform/Diagnostics.h"
#include "platform/ToolEnvironment.h"
#include "platform/ToolPaths.h"

#include <QStringDecoder>

ProcessOptions CameraPoller::toolOptions(bool captureOutput) const
{
    ProcessOptions options;
    options.timeoutMs = int(m_toolTimeLimit.count());
    options.captureOutput = captureOutput;
    options.environment = ToolEnvironment::forParsing();
    // A process listing is a few hundred kilobytes at most; the cap only guards against a runaway tool.
    options.outputCap = 16 * 1024 * 1024;
    return options;
}

CameraPoller::CameraPoller(QObject* parent) : CameraPoller(defaultInterval, defaultToolTimeLimit, parent) {}

CameraPoller::CameraPoller(std::chrono::milliseconds interval, std::chrono::milliseconds toolTimeLimit,
                           QObject* parent)
    : AccessSource(parent), m_interval(interval), m_toolTimeLimit(toolTimeLimit)
{
}

CameraPoller::~CameraPoller()
{
    stop();
}

const QStringList& CameraPoller::cameraServiceNames()
{
    static const QStringList names{QStringLiteral("VDCAssistant"), QStringLiteral("AppleCameraAssistant")};
    return names;
}

const QStringList& CameraPoller::cameraAppCandidates()
{
    static const QStringList names{QStringLiteral("Chrome"),  QStringLiteral("Safari"),
                                   QStringLiteral("Firefox"), QStringLiteral("FaceTime"),
                                   QStringLiteral("Zoom"),    QStringLiteral("Teams"),
                                   QStringLiteral("Slack"),   QStringLiteral("Discord"),
                                   QStringLiteral("Skype"),   QStringLiteral("Photo Booth")};
    return names;
}

QString CameraPoller::detailsText()
{
    // The same text whichever camera service process was found.
    return QStringLiteral("Camera active (VDCAssistant running)");
}

QString CameraPoller::cameraAppFromListing(const QByteArray& listing)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(listing);
    if (decoder.hasError())
        text.clear();
    for (const QString& candidate : cameraAppCandidates()) {
        if (text.contains(candidate))
            return candidate;
    }
    return QStringLiteral("Unknown (Camera Active)");
}

void CameraPoller::start()
{
    m_failureReported = false;
    startCameraPoller();
}

void CameraPoller::startCameraPoller()
{
    // No check at start: the first one runs one interval later.
    delete m_pollTimer;
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(m_interval);
    connect(m_pollTimer, &QTimer::timeout, this, &CameraPoller::checkCamera);
    m_pollTimer->start();
}

void CameraPoller::stop()
{
    // cameraWasActive survives: after a new start the camera has to be seen off once before it alerts.
    delete m_pollTimer;
}

void CameraPoller::checkCamera()
{
    // A check still waiting for a hung tool makes the next tick skip, so checks never pile up.
    if (m_checkRunning)
        return;
    m_checkRunning = true;
    const QStringList& services = cameraServiceNames();
    isRunning(services[0], [this, services](bool active) {
        if (active) {
            applyCameraState(true);
            return;
        }
        isRunning(services[1], [this](bool found) { applyCameraState(found); });
    });
}

void CameraPoller::isRunning(const QString& name, std::function<void(bool)> done)
{
    ChildProcess::run(ToolPaths::path(Tool::Pgrep), {QStringLiteral("-x"), name}, toolOptions(false), this,
                      [this, done](const ProcessResult& result) {
                          if (!result.started && !result.timedOut)
                              reportToolFailure(result.errorString);
                          // No such process, a failed launch and a hung pgrep all count as "not running".
                          done(result.succeeded());
                      });
}

void CameraPoller::applyCameraState(bool active)
{
    m_checkRunning = false;
    if (!active) {
        m_cameraWasActive = false;
        return;
    }
    if (m_cameraWasActive)
        return;
    m_cameraWasActive = true;
    detectCameraApp(
        [this](const QString& app) { Q_EMIT accessDetected(QStringLiteral("camera"), app, detailsText()); });
}

void CameraPoller::detectCameraApp(std::function<void(const QString&)> done)
{
    // The listing is read while ps runs, so a listing larger than the pipe buffer cannot stall it.
    ChildProcess::run(ToolPaths::path(Tool::Ps),
                      {QStringLiteral("-ax"), QStringLiteral("-o"), QStringLiteral("comm=")},
                      toolOptions(true), this, [done](const ProcessResult& result) {
                          done(cameraAppFromListing(result.started && !result.timedOut ? result.standardOutput
                                                                                       : QByteArray()));
                      });
}

void CameraPoller::reportToolFailure(const QString& error)
{
    if (m_failureReported)
        return;
    m_failureReported = true;
    Diagnostics::print(QStringLiteral("[MonitorEngine] camera poller failed: ") + error);
}
