#pragma once

#include "backend/BackendRecords.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ConfigStore;
class TelegramBotApi;

// The backend's Telegram bot: its token (checked with getMe), its username, and the chat that
// receives automation results (found from the messages sent to the bot).
class TelegramLink : public QObject
{
    Q_OBJECT
public:
    // `configured` is true once a chat is linked.
    using Status = TelegramStatus;

    struct Reply
    {
        int status = 200; // 200, or 400 when the request is refused
        bool success = false;
        QString message;
        std::optional<QString> chatId;
        QStringList instructions;
    };
    using ReplyDone = std::function<void(const Reply&)>;

    TelegramLink(ConfigStore& config, TelegramBotApi& api, QObject* parent = nullptr);

    // Nothing while no token is stored.
    std::optional<Status> status() const;

    // Checks the token with getMe, then stores it with the bot's username. A different token than the
    // stored one belongs to another bot: the linked chat is forgotten.
    void saveToken(const QString& token, ReplyDone done);
    // Finds the chat of the latest message to the bot, stores it and greets it.
    void authorize(ReplyDone done);
    // Empty forgets the chat. False for a text that is not a chat id.
    bool setChatId(const QString& chatId);
    void forgetBot();

    // At start: a TELEGRAM_BOT_TOKEN in the environment file replaces a different stored token.
    void seedFromEnvironmentFile(const QString& path);

    // Sends a text to the linked chat; nothing happens without a token and a chat.
    void send(const QString& text);

    static bool isChatId(const QString& text);

private:
    void storeToken(const QString& token, const QString& username);
    std::optional<QString> token() const;

    ConfigStore& m_config;
    TelegramBotApi& m_api;
};
