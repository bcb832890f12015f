#include "telegram/TelegramLink.h"

#include "model/TextUtil.h"
#include "monitor/TelegramBotApi.h"
#include "storage/ConfigStore.h"
#include "telegram/EnvironmentFile.h"

#include <QPointer>
#include <QRegularExpression>

namespace {

QStringList linkingInstructions(const QString& username)
{
    const QString bot = username.isEmpty() ? QStringLiteral("your bot") : QStringLiteral("@") + username;
    return {QStringLiteral("1. Open %1 in Telegram").arg(bot), QStringLiteral("2. Send /start to the bot"),
            QStringLiteral("3. Come back here and click Authorize")};
}

} // namespace

TelegramLink::TelegramLink(ConfigStore& config, TelegramBotApi& api, QObject* parent)
    : QObject(parent), m_config(config), m_api(api)
{
}

std::optional<QString> TelegramLink::token() const
{
    const std::optional<QString> stored = m_config.value(ConfigKey::telegramBotToken);
    return stored && !stored->isEmpty() ? stored : std::nullopt;
}

bool TelegramLink::isChatId(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^-?[0-9]{1,20}$"));
    return pattern.match(text).hasMatch();
}

std::optional<TelegramLink::Status> TelegramLink::status() const
{
    if (!token())
        return std::nullopt;
    std::optional<QString> chatId = m_config.value(ConfigKey::telegramChatId);
    if (chatId && chatId->isEmpty())
        chatId.reset();
    return Status{m_config.value(ConfigKey::telegramBotUsername).value_or(QString()), chatId,
                  chatId.has_value()};
}

void TelegramLink::storeToken(const QString& token, const QString& username)
{
    if (this->token() != token)
        m_config.remove(ConfigKey::telegramChatId);
    m_config.setValue(ConfigKey::telegramBotToken, token);
    m_config.setValue(ConfigKey::telegramBotUsername, username);
}

void TelegramLink::saveToken(const QString& rawToken, ReplyDone done)
{
    const QString token = TextUtil::trimSpacesAndTabs(rawToken).toString();
    if (token.isEmpty()) {
        done({400, false, QStringLiteral("The bot token is empty"), std::nullopt, {}});
        return;
    }
    QPointer<TelegramLink> self(this);
    m_api.checkTelegramToken(token, this, [self, token, done](const TelegramBotApi::TokenCheck& check) {
        if (!self)
            return;
        switch (check.verdict) {
        case TelegramBotApi::TokenCheck::Verdict::Unreachable:
            // No answer says nothing of the token: it is not stored, and not called wrong either.
            done(
                {502,
                 false,
                 QStringLiteral("Telegram could not be reached: check the internet connection and try again"),
                 std::nullopt,
                 {}});
            return;
        case TelegramBotApi::TokenCheck::Verdict::Invalid:
            done({400, false, QStringLiteral("Telegram did not accept this bot token"), std::nullopt, {}});
            return;
        case TelegramBotApi::TokenCheck::Verdict::Valid:
            break;
        }
        self->storeToken(token, check.username);
        done({200, true, QStringLiteral("Bot @%1 saved").arg(check.username), std::nullopt,
              linkingInstructions(check.username)});
    });
}

void TelegramLink::authorize(ReplyDone done)
{
    const std::optional<QString> token = this->token();
    if (!token) {
        done({400, false, QStringLiteral("No bot token is stored yet"), std::nullopt, {}});
        return;
    }
    const QString username = m_config.value(ConfigKey::telegramBotUsername).value_or(QString());
    QPointer<TelegramLink> self(this);
    m_api.fetchChatId(*token, this, [self, token, username, done](const std::optional<QString>& chatId) {
        if (!self)
            return;
        if (!chatId) {
            done({200, false, QStringLiteral("No message to the bot yet: send it /start first"), std::nullopt,
                  linkingInstructions(username)});
            return;
        }
        self->m_config.setValue(ConfigKey::telegramChatId, *chatId);
        self->m_api.sendWelcomeMessage(*token, *chatId);
        done({200,
              true,
              QStringLiteral("✅ Telegram connected: this chat now receives Halvex messages"),
              chatId,
              {}});
    });
}

bool TelegramLink::setChatId(const QString& chatId)
{
    if (chatId.isEmpty())
        return m_config.remove(ConfigKey::telegramChatId);
    return isChatId(chatId) && m_config.setValue(ConfigKey::telegramChatId, chatId);
}

void TelegramLink::forgetBot()
{
    m_config.remove(ConfigKey::telegramChatId);
    m_config.remove(ConfigKey::telegramBotUsername);
    m_config.remove(ConfigKey::telegramBotToken);
}

void TelegramLink::seedFromEnvironmentFile(const QString& path)
{
    const std::optional<QString> seeded = EnvironmentFile::read(path, QStringLiteral("TELEGRAM_BOT_TOKEN"));
    if (!seeded || seeded->isEmpty() || token() == *seeded)
        return;
    storeToken(*seeded, QString());
    // The username is only known once Telegram has confirmed the token.
    QPointer<TelegramLink> self(this);
    const QString token = *seeded;
    m_api.validateTelegramToken(token, this, [self, token](const std::optional<QString>& username) {
        if (self && username && self->token() == token)
            self->m_config.setValue(ConfigKey::telegramBotUsername, *username);
    });
}

void TelegramLink::send(const QString& text)
{
    const std::optional<Status> current = status();
    if (!current || !current->chatId)
        return;
    m_api.sendTelegramText(*token(), *current->chatId, text);
}
