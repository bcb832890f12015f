#include "monitor/ChatIdSearch.h"

#include "monitor/TelegramBotApi.h"

ChatIdSearch::ChatIdSearch(TelegramBotApi& api, QObject* parent) : QObject(parent), m_api(api)
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, [this] { attempt(m_run); });
}

ChatIdSearch::ChatIdSearch(std::unique_ptr<TelegramBotApi> api, QObject* parent) : ChatIdSearch(*api, parent)
{
    m_ownedApi = std::move(api);
}

ChatIdSearch::~ChatIdSearch()
{
    // Requests the owned API aborts while it goes answer an abandoned run.
    ++m_run;
    m_ownedApi.reset();
}

void ChatIdSearch::start(const QString& token)
{
    ++m_run;
    m_pause.stop();
    m_token = token;
    m_running = true;
    m_attempt = 0;
    attempt(m_run);
}

void ChatIdSearch::attempt(quint64 run)
{
    ++m_attempt;
    m_api.fetchAndSaveChatId(m_token, this, [this, run](const std::optional<QString>& chatId) {
        if (run != m_run)
            return;
        if (chatId) {
            m_api.sendWelcomeMessage(m_token, *chatId, this, [this, run, id = *chatId] {
                if (run != m_run)
                    return;
                m_running = false;
                Q_EMIT connected(id);
            });
            return;
        }
        Q_EMIT attemptFailed(m_attempt, m_timing.attempts);
        if (m_attempt >= m_timing.attempts) {
            m_running = false;
            Q_EMIT gaveUp();
            return;
        }
        m_pause.start(m_timing.retryDelay);
    });
}
