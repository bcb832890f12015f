#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// The few fields Halvex reads from a Bot API update; everything else is ignored.
namespace TelegramUpdate {

// A press of an inline button: "callback_query" with a string "id" and a string "data".
struct ButtonPress
{
    QString callbackId;
    QString data;
    std::optional<qint64> chatId; // the chat of the message that carried the button
};

std::optional<qint64> updateId(const QJsonObject& update);
std::optional<ButtonPress> buttonPress(const QJsonObject& update);
// The chat of a "message" update.
std::optional<qint64> messageChatId(const QJsonObject& update);

} // namespace TelegramUpdate
