#pragma once

#include "monitor/DigestBucket.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class TelegramBotApi;
class TelegramCallbackPoller;

// Forwards detected accesses to the user's Telegram chat without flooding it: the first access of a
// type goes out at once, with a force-quit button when the application is known; the ones that follow
// within the window are counted and summed up in one message when the window closes.
class TelegramDigest : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    TelegramDigest(TelegramBotApi& api, TelegramCallbackPoller& poller, Clock clock,
                   QObject* parent = nullptr);

    // Every detected access, before the cool-down. The token and the chat id are read afresh each time.
    void queueTelegramAlert(const QString& type, const QString& displayApp, const QString& rawApp);
    // Closes the window of `type`, with the token and chat id read when it opened.
    void flushTelegramDigest(const QString& type, const QString& token, const QString& chatId);

    // The window length (tgDigestWindow); five minutes unless a test shortens it.
    void setWindow(std::chrono::milliseconds window) { m_window = window; }
    const QHash<QString, DigestBucket>& buckets() const { return m_tgDigestBuckets; }

private:
    void searchChatId(const QString& token);
    void openWindow(const QString& type, const QString& displayApp, const QString& rawApp,
                    const QString& token, const QString& chatId);

    TelegramBotApi& m_api;
    TelegramCallbackPoller& m_poller;
    Clock m_clock;
    std::chrono::milliseconds m_window{300'000};
    QHash<QString, DigestBucket> m_tgDigestBuckets;
};
