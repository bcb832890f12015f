#include "monitor/TelegramUpdate.h"

#include <QJsonValue>

namespace TelegramUpdate {
namespace {

// JSON numbers arrive as doubles; an id is only taken when it is a whole number.
std::optional<qint64> integer(const QJsonValue& value)
{
    if (!value.isDouble() || value.toDouble() != double(value.toInteger()))
        return std::nullopt;
    return value.toInteger();
}

std::optional<qint64> chatIdOf(const QJsonValue& message)
{
    return integer(message[QLatin1String("chat")][QLatin1String("id")]);
}

} // namespace

std::optional<qint64> updateId(const QJsonObject& update)
{
    return integer(update.value(QLatin1String("update_id")));
}

std::optional<ButtonPress> buttonPress(const QJsonObject& update)
{
    const QJsonValue query = update.value(QLatin1String("callback_query"));
    const QJsonValue id = query[QLatin1String("id")];
    const QJsonValue data = query[QLatin1String("data")];
    if (!query.isObject() || !id.isString() || !data.isString())
        return std::nullopt;
    return ButtonPress{id.toString(), data.toString(), chatIdOf(query[QLatin1String("message")])};
}

std::optional<qint64> messageChatId(const QJsonObject& update)
{
    return chatIdOf(update.value(QLatin1String("message")));
}

} // namespace TelegramUpdate
