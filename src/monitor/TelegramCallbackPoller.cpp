#include "monitor/TelegramCallbackPoller.h"

#include "monitor/OfferedButtons.h"
#include "monitor/SavedUpdateOffset.h"
#include "monitor/TelegramBotApi.h"
#include "monitor/TelegramTexts.h"
#include "platform/Settings.h"

TelegramCallbackPoller::TelegramCallbackPoller(TelegramBotApi& api, KillApp killApp, QObject* parent)
    : QObject(parent), m_api(api), m_killApp(std::move(killApp)),
      m_clock([] { return QDateTime::currentDateTimeUtc(); })
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &TelegramCallbackPoller::pollTelegramCallbacks);
}

void TelegramCallbackPoller::startTelegramPolling(const QString& token)
{
    if (m_polling)
        return;
    m_polling = true;
    begin(token);
    pollTelegramCallbacks();
}

// A new run for `token`: results still on their way belong to the old one and are dropped.
void TelegramCallbackPoller::begin(const QString& token)
{
    ++m_run;
    m_token = token;
    const SavedUpdateOffset::Position saved = SavedUpdateOffset::load(token, m_clock());
    m_lastUpdateId = saved.updateId;
    m_lastUpdateAt = saved.savedAt;
}

void TelegramCallbackPoller::stop()
{
    m_polling = false;
    ++m_run;
    m_pause.stop();
}

// False when polling ended because the token was removed.
bool TelegramCallbackPoller::followStoredToken()
{
    const QString stored = Settings().telegramBotToken().value_or(QString());
    if (stored.isEmpty()) {
        stop();
        return false;
    }
    if (stored != m_token)
        begin(stored);
    return true;
}

// Telegram keeps an update for a day: once the last id is older than that, every update it could
// answer is new, and starting over finds those Telegram numbered lower after a quiet spell.
void TelegramCallbackPoller::forgetStaleOffset()
{
    if (m_lastUpdateId == 0 ||
        m_lastUpdateAt.secsTo(m_clock()) < std::chrono::seconds(SavedUpdateOffset::lifetime).count())
        return;
    m_lastUpdateId = 0;
    SavedUpdateOffset::forget();
}

void TelegramCallbackPoller::pollTelegramCallbacks()
{
    if (!followStoredToken())
        return;
    forgetStaleOffset();
    const quint64 run = m_run;
    m_api.getUpdatesAfter(m_token, m_lastUpdateId + 1, this,
                          [this, run](const std::optional<QJsonArray>& updates) {
                              if (!isCurrent(run))
                                  return;
                              if (!SavedUpdateOffset::isStoredToken(m_token))
                                  return pollTelegramCallbacks(); // another bot's answer: ask the new one
                              if (!updates)
                                  return finishPass(run);
                              if (updates->isEmpty() && m_lastUpdateId > 0)
                                  return checkForRenumberedUpdates(run);
                              handleUpdates(*updates, 0, run);
                          });
}

// Nothing after the offset: if an update below it is waiting all the same, Telegram has numbered
// its updates afresh, and the offset would hide them for good. Asking without an offset confirms nothing.
void TelegramCallbackPoller::checkForRenumberedUpdates(quint64 run)
{
    m_api.peekUpdates(m_token, 1, this, [this, run](const std::optional<QJsonArray>& waiting) {
        if (!isCurrent(run))
            return;
        const auto firstId = waiting && !waiting->isEmpty()
                                 ? TelegramUpdate::updateId(waiting->first().toObject())
                                 : std::nullopt;
        if (!firstId || *firstId > m_lastUpdateId)
            return finishPass(run);
        m_lastUpdateId = 0;
        SavedUpdateOffset::forget();
        pollTelegramCallbacks();
    });
}

// Updates are handled one after another, in list order; a press waits for its answer and its
// confirmation before the next update is looked at.
void TelegramCallbackPoller::handleUpdates(const QJsonArray& updates, qsizetype index, quint64 run)
{
    for (; index < updates.size(); ++index) {
        if (!isCurrent(run))
            return;
        // The token changed under the pass: the rest belongs to the old bot.
        if (!SavedUpdateOffset::isStoredToken(m_token))
            return pollTelegramCallbacks();
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
    // A foreign chat's press kills nothing; the empty answer only stops the spinner on the phone.
    if (!isFromConfiguredChat(press)) {
        m_api.answerTelegramCallback(m_token, press.callbackId, QString(), this, std::move(next));
        return;
    }
    // Callback data is not authenticated: only a name a button offered may be killed.
    if (!OfferedButtons::wasOffered(name, m_clock())) {
        m_api.answerTelegramCallback(m_token, press.callbackId, TelegramTexts::unknownAppAnswer(), this,
                                     std::move(next));
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
    m_lastUpdateAt = m_clock();
    SavedUpdateOffset::save(m_token, updateId, m_lastUpdateAt);
}

void TelegramCallbackPoller::finishPass(quint64 run)
{
    Q_EMIT passFinished();
    if (isCurrent(run))
        m_pause.start(m_pollInterval);
}
