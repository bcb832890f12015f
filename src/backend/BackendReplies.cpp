#include "backend/BackendReplies.h"

#include "backend/JsonReader.h"

#include <QJsonArray>

std::optional<CommandResponse> CommandResponse::fromJson(const QJsonValue& value, QString* reason)
{
    JsonReader reader(value);
    CommandResponse response;
    response.success = reader.boolean("success");
    response.result = reader.optionalString("result");
    response.error = reader.optionalString("error");
    response.type = reader.optionalString("type");
    response.timestamp = reader.optionalString("timestamp");
    return reader.result(std::move(response), reason);
}

std::optional<ChatResponse> ChatResponse::fromJson(const QJsonValue& value, QString* reason)
{
    JsonReader reader(value);
    ChatResponse response;
    response.success = reader.boolean("success");
    response.response = reader.optionalString("response");
    response.error = reader.optionalString("error");
    return reader.result(std::move(response), reason);
}

std::optional<GenericResponse> GenericResponse::fromJson(const QJsonValue& value, QString* reason)
{
    JsonReader reader(value);
    GenericResponse response;
    response.success = reader.boolean("success");
    response.message = reader.optionalString("message");
    return reader.result(std::move(response), reason);
}

std::optional<AutomationsResponse> AutomationsResponse::fromJson(const QJsonValue& value, QString* reason)
{
    JsonReader reader(value);
    AutomationsResponse response;
    response.success = reader.boolean("success");
    const QJsonArray automations = reader.array("automations");
    if (!reader.failed()) {
        QString why;
        auto decoded = JsonValues::decodeList<Automation>(
            automations,
            [](const QJsonValue& element, QString* r) { return Automation::fromJson(element, r); }, &why);
        if (decoded)
            response.automations = std::move(*decoded);
        else
            reader.fail(QStringLiteral("key \"automations\": ") + why);
    }
    return reader.result(std::move(response), reason);
}

QJsonObject TelegramAuthResult::toJson() const
{
    QJsonObject object{{QStringLiteral("success"), success}};
    if (message)
        object.insert(QStringLiteral("message"), *message);
    if (chatId)
        object.insert(QStringLiteral("chatId"), *chatId);
    if (instructions)
        object.insert(QStringLiteral("instructions"), QJsonArray::fromStringList(*instructions));
    return object;
}

std::optional<TelegramAuthResult> TelegramAuthResult::fromJson(const QJsonValue& value, QString* reason)
{
    JsonReader reader(value);
    TelegramAuthResult result;
    result.success = reader.boolean("success");
    result.message = reader.optionalString("message");
    result.chatId = reader.optionalString("chatId");
    result.instructions = reader.optionalStringList("instructions");
    return reader.result(std::move(result), reason);
}
