#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>

class TelegramBotApi;

// Waits for the user's first message to a new bot: asks for the chat id (storing it once found) a
// number of times, a pause apart, and sends the welcome message once, right after the chat is known.
class ChatIdSearch : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        int attempts = 30;
        std::chrono::milliseconds retryDelay{3000};
    };

    explicit ChatIdSearch(TelegramBotApi& api, QObject* parent = nullptr);
    // A search that owns its Bot API, so it can go on after whoever started it is gone.
    explicit ChatIdSearch(std::unique_ptr<TelegramBotApi> api, QObject* parent = nullptr);
    ~ChatIdSearch() override;

    TelegramBotApi& api() { return m_api; }

    void setTiming(const Timing& timing) { m_timing = timing; }
    const Timing& timing() const { return m_timing; }

    // Starts over with `token`; a search under way for another token is abandoned.
    void start(const QString& token);
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    // Attempt `attempt` of `attempts` found no chat; the next follows after the pause.
    void attemptFailed(int attempt, int attempts);
    // The chat is stored and the welcome message went out (whether Telegram took it or not).
    void connected(const QString& chatId);
    void gaveUp();

private:
    void attempt(quint64 run);

    std::unique_ptr<TelegramBotApi> m_ownedApi;
    TelegramBotApi& m_api;
    Timing m_timing;
    QString m_token;
    bool m_running = false;
    int m_attempt = 0;
    quint64 m_run = 0; // drops the answers of an abandoned search
    QTimer m_pause;
};
