#include "monitor/TelegramCallbackPoller.h"

#include "monitor/TelegramBotApi.h"
#include "monitor/TelegramTexts.h"
#include "platform/Settings.h"

TelegramCallbackPoller::TelegramCallbackPoller(TelegramBotApi& api, KillApp killApp, QObject* parent)
    : QObject(parent), m_api(api), m_killApp(std::move(killApp))
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &TelegramCallbackPoller::pollTelegramCallbacks);
}

void TelegramCallbackPoller::startTelegramPolling(const QString& token)
{
    if (m_polling)
        return;
    m_polling = true;
    ++m_run;
    m_token = token;
    // Read again at every start: a token of another bot has reset it.
    m_lastUpdateId = Settings().telegramLastUpdateId();
    pollTelegramCallbacks();
}

void TelegramCallbackPoller::stop()
{
    m_polling = false;
    ++m_run;
    m_pause.stop();
}

void TelegramCallbackPoller::pollTelegramCallbacks()
{
    const quint64 run = m_run;
    m_api.getUpdatesAfter(m_token, m_lastUpdateId + 1, this,
                          [this, run](const std::optional<QJsonArray>& updates) {
                              if (!isCurrent(run))
                                  return;
                              if (updates)
                                  handleUpdates(*updates, 0, run);
                              else
                                  finishPass(run);
                          });
}

// Updates are handled one after another, in list order; a press waits for its answer and its
// confirmation before the next update is looked at.
void TelegramCallbackPoller::handleUpdates(const QJsonArray& updates, qsizetype index, quint64 run)
{
    for (; index < updates.size(); ++index) {
        if (!isCurrent(run))
            return;
        const QJsonObject update = updates.at(index).toObject();
        if (const auto updateId = TelegramUpdate::updateId(update))
            noteUpdateId(*updateId);
        const auto press = TelegramUpdate::buttonPress(update);
        if (press && press->data.startsWith(QLatin1String(TelegramTexts::blockPrefix))) {
            handlePress(*press, [this, updates, index, run] { handleUpdates(updates, index + 1, run); });
            return;
        }
    }
    finishPass(run);
}

void TelegramCallbackPoller::handlePress(const TelegramUpdate::ButtonPress& press, std::function<void()> next)
{
    const QString name = press.data.mid(qsizetype(std::size(TelegramTexts::blockPrefix) - 1));
    // A foreign chat's press, or one naming nothing (pkill would match every process), kills nothing;
    // the empty answer only stops the spinner on the phone.
    if (name.isEmpty() || !isFromConfiguredChat(press)) {
        m_api.answerTelegramCallback(m_token, press.callbackId, QString(), this, std::move(next));
        return;
    }
    m_killApp(name);
    m_api.answerTelegramCallback(
        m_token, press.callbackId, TelegramTexts::forceQuitAnswer(name), this,
        [this, name, next = std::move(next)] {
            const std::optional<QString> chatId = Settings().telegramChatId();
            if (!chatId)
                return next();
            m_api.sendTelegramText(m_token, *chatId, TelegramTexts::forceQuitConfirmation(name), this, next);
        });
}

bool TelegramCallbackPoller::isFromConfiguredChat(const TelegramUpdate::ButtonPress& press)
{
    const std::optional<QString> configured = Settings().telegramChatId();
    bool ok = false;
    const qint64 configuredId = configured ? configured->trimmed().toLongLong(&ok) : 0;
    return ok && press.chatId == configuredId;
}

// Kept before the update is acted on, so a press is never obeyed twice, even across a restart.
void TelegramCallbackPoller::noteUpdateId(qint64 updateId)
{
    if (updateId <= m_lastUpdateId)
        return;
    m_lastUpdateId = updateId;
    Settings().setTelegramLastUpdateId(updateId);
}

void TelegramCallbackPoller::finishPass(quint64 run)
{
    Q_EMIT passFinished();
    if (isCurrent(run))
        m_pause.start(m_pollInterval);
}
