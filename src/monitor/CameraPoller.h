#pragma once

#include "monitor/AccessSource.h"
#include "platform/ChildProcess.h"

#include <QByteArray>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>

// The camera poller of macOS: the consent log reports when an application is granted the camera, not
// each time the camera is switched on. Every interval it asks pgrep whether the camera service process
// runs, and records one "camera" alert each time the camera goes from off to on, naming the first
// known camera user found in the process list.
class CameraPoller : public AccessSource
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultInterval{std::chrono::seconds(5)};
    // pgrep and ps return in milliseconds; a hung one is killed well before the next check.
    static constexpr std::chrono::milliseconds defaultToolTimeLimit{std::chrono::seconds(4)};

    explicit CameraPoller(QObject* parent = nullptr);
    // For tests: a shorter interval and time limit.
    CameraPoller(std::chrono::milliseconds interval, std::chrono::milliseconds toolTimeLimit,
                 QObject* parent = nullptr);
    ~CameraPoller() override;

    void start() override;
    void stop() override;

    bool isPolling() const { return m_pollTimer != nullptr; }
    bool cameraWasActive() const { return m_cameraWasActive; }

    // The camera service processes, tested in this order.
    static const QStringList& cameraServiceNames();
    // Candidate camera users, tested in this order against the process listing.
    static const QStringList& cameraAppCandidates();
    static QString detailsText();
    // The first candidate contained in a "ps -ax -o comm=" listing; "Unknown (Camera Active)" when
    // none is, or when the listing is not UTF-8.
    static QString cameraAppFromListing(const QByteArray& listing);

private:
    void startCameraPoller();
    void checkCamera();
    void isRunning(const QString& name, std::function<void(bool)> done);
    void detectCameraApp(std::function<void(const QString&)> done);
    void applyCameraState(bool active);
    void reportToolFailure(const QString& error);
    ProcessOptions toolOptions(bool captureOutput) const;

    std::chrono::milliseconds m_interval;
    std::chrono::milliseconds m_toolTimeLimit;
    QPointer<QTimer> m_pollTimer;
    bool m_cameraWasActive = false;
    bool m_checkRunning = false;
    bool m_failureReported = false;
};
