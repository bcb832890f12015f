#include "monitor/TelegramDigest.h"

#include "monitor/OfferedButtons.h"
#include "monitor/TelegramBotApi.h"
#include "monitor/TelegramCallbackPoller.h"
#include "monitor/TelegramTexts.h"
#include "platform/Diagnostics.h"
#include "platform/Settings.h"

#include <QTimer>

namespace {
const QString unknownDisplayApp = QStringLiteral("Something");
}

TelegramDigest::TelegramDigest(TelegramBotApi& api, TelegramCallbackPoller& poller, Clock clock,
                               QObject* parent)
    : QObject(parent), m_api(api), m_poller(poller), m_clock(std::move(clock))
{
}

void TelegramDigest::queueTelegramAlert(const QString& type, const QString& displayApp, const QString& rawApp)
{
    const Settings settings;
    const QString token = settings.telegramBotToken().value_or(QString());
    if (token.isEmpty())
        return;
    const QString chatId = settings.telegramChatId().value_or(QString());
    if (chatId.isEmpty()) {
        // This access is dropped; the search stores the chat id for the next one.
        searchChatId(token);
        return;
    }
    m_poller.startTelegramPolling(token);

    const auto open = m_tgDigestBuckets.find(type);
    if (open != m_tgDigestBuckets.end()) {
        ++open->count;
        ++open->apps[displayApp];
        return;
    }
    openWindow(type, displayApp, rawApp, token, chatId);
}

void TelegramDigest::searchChatId(const QString& token)
{
    m_api.fetchAndSaveChatId(token, this, [](const std::optional<QString>& chatId) {
        if (chatId)
            Diagnostics::print(QStringLiteral("[Telegram] chatId found: ") + *chatId);
    });
}

void TelegramDigest::openWindow(const QString& type, const QString& displayApp, const QString& rawApp,
                                const QString& token, const QString& chatId)
{
    m_tgDigestBuckets.insert(type, DigestBucket{1, {{displayApp, 1}}, m_clock()});

    std::optional<TelegramBotApi::ForceQuitTarget> target;
    if (displayApp != unknownDisplayApp) {
        target = TelegramBotApi::ForceQuitTarget{rawApp, displayApp};
        // Kept before sending: the button may reach the phone even when its answer is lost.
        OfferedButtons::remember(TelegramTexts::buttonName(rawApp), m_clock());
    }
    m_api.doSendTelegramMessage(token, chatId, TelegramTexts::firstAlertText(type, displayApp), target);

    QTimer::singleShot(m_window, this,
                       [this, type, token, chatId] { flushTelegramDigest(type, token, chatId); });
}

void TelegramDigest::flushTelegramDigest(const QString& type, const QString& token, const QString& chatId)
{
    const auto open = m_tgDigestBuckets.constFind(type);
    if (open == m_tgDigestBuckets.cend())
        return;
    const qint64 count = open->count;
    m_tgDigestBuckets.erase(open);
    if (count == 1)
        return; // the only access was sent when the window opened
    m_api.doSendTelegramMessage(token, chatId, TelegramTexts::digestText(type, count));
}
