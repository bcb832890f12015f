#pragma once

#include "monitor/TelegramUpdate.h"

#include <QDateTime>
#include <QJsonArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

class TelegramBotApi;

// Receives the presses of the force-quit buttons: one getUpdates pass, then a pause, until stopped.
// A press is obeyed only when it comes from the configured chat and names an application a button
// offered; every press is answered so the phone stops waiting. The highest handled update id is kept
// in the settings, so a press that Telegram has not yet seen confirmed is not obeyed a second time
// after a restart; an offset that has gone stale, or that belongs to another bot, is not used.
class TelegramCallbackPoller : public QObject
{
    Q_OBJECT
public:
    using KillApp = std::function<void(const QString& name)>;
    using Clock = std::function<QDateTime()>;

    TelegramCallbackPoller(TelegramBotApi& api, KillApp killApp, QObject* parent = nullptr);

    // Does nothing while polling runs. The stored token is followed from then on: another token
    // restarts the loop with it, a removed token ends it.
    void startTelegramPolling(const QString& token);
    // Cancels the loop: a pass under way is abandoned before its next update, the pause ends at once.
    void stop();
    bool isPolling() const { return m_polling; }

    // The pause between two passes.
    void setPollInterval(std::chrono::milliseconds interval) { m_pollInterval = interval; }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    qint64 lastUpdateId() const { return m_lastUpdateId; }
    QString token() const { return m_token; }

Q_SIGNALS:
    // One pass finished (its updates handled, or the pass failed).
    void passFinished();

private:
    void begin(const QString& token);
    void pollTelegramCallbacks();
    bool followStoredToken();
    void forgetStaleOffset();
    void checkForRenumberedUpdates(quint64 run);
    void handleUpdates(const QJsonArray& updates, qsizetype index, quint64 run);
    void handlePress(const TelegramUpdate::ButtonPress& press, std::function<void()> next);
    void noteUpdateId(qint64 updateId);
    static bool isFromConfiguredChat(const TelegramUpdate::ButtonPress& press);
    void finishPass(quint64 run);
    bool isCurrent(quint64 run) const { return m_polling && run == m_run; }

    TelegramBotApi& m_api;
    KillApp m_killApp;
    Clock m_clock;
    std::chrono::milliseconds m_pollInterval{5000};
    bool m_polling = false;
    quint64 m_run = 0; // tells the results of a stopped loop from those of the current one
    QTimer m_pause;
    QString m_token;
    qint64 m_lastUpdateId = 0;
    QDateTime m_lastUpdateAt; // when m_lastUpdateId was last raised (or loaded)
};
