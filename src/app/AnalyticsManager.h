#pragma once

#include "platform/HttpExchange.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <optional>

// Anonymous usage events ("install" once, "session_end" with the session's length) posted in batches
// to the vendor's web service: right after launch, every 30 minutes, and once more at quit. Nothing is
// queued or sent without a vendor URL or with DO_NOT_TRACK set (any value but 0). Main thread only.
class AnalyticsManager : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    struct Options
    {
        std::optional<QUrl> endpoint; // nothing: analytics is off
        Clock clock;                  // empty: the system clock
        int flushIntervalMs = 1800 * 1000;
        int requestTimeoutMs = 8000;
        int quitWaitMs = 3000; // the longest the quit waits for the last batch

        // HALVEX_VENDOR_URL + "/api/app-events"; off when it is unset or DO_NOT_TRACK is set to anything but
        // 0.
        static Options fromEnvironment();
    };

    // The process-wide instance, configured from the environment on first use.
    static AnalyticsManager& shared();

    explicit AnalyticsManager(Options options, QObject* parent = nullptr);

    bool isEnabled() const { return m_options.endpoint.has_value(); }
    QString deviceId() const { return m_deviceId; }
    const QJsonArray& pendingEvents() const { return m_pendingEvents; }

    // Starts the session, queues "install" on the first launch, starts the periodic sender and sends.
    void appLaunched();
    // Queues "session_end", stops the periodic sender, sends, and waits for the send at most
    // `quitWaitMs` while running a local event loop. Call it from the main thread at quit.
    void appWillTerminate();

    void queue(const QString& name, const std::optional<QJsonObject>& props = std::nullopt);
    // Sends every pending event as one batch; `finished` runs when its request has ended (at once when
    // there is nothing to send). A batch that got no HTTP reply goes back in front of the queue.
    void flush(std::function<void()> finished = {});

    QJsonObject payload(const QJsonArray& events) const;

private:
    QDateTime now() const;
    void loadDeviceId();
    void requeueInFront(const QJsonArray& batch);

    Options m_options;
    QString m_deviceId;
    QDateTime m_sessionStart;
    QJsonArray m_pendingEvents;
    QTimer m_flushTimer;
    QNetworkAccessManager m_network;
};
