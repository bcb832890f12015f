#include "backend/BackendRecords.h"

#include "backend/JsonReader.h"

namespace {

QJsonObject integerMapToJson(const QMap<QString, qint64>& map)
{
    QJsonObject object;
    for (auto it = map.begin(); it != map.end(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

void insertIfPresent(QJsonObject& object, const char* key, const std::optional<QString>& value)
{
    if (value)
        object.insert(QLatin1String(key), *value);
}

} // namespace

QJsonObject DashboardStats::toJson() const
{
    return {{QStringLiteral("total"), total},
            {QStringLiteral("today"), today},
            {QStringLiteral("last24h"), last24h},
            {QStringLiteral("byType"), integerMapToJson(byType)},
            {QStringLiteral("byApp"), integerMapToJson(byApp)}};
}

std::optional<DashboardStats> DashboardStats::fromJson(const QJsonValue& value, QString* reason)
{
    JsonReader reader(value);
    DashboardStats stats;
    stats.total = reader.integer("total");
    stats.today = reader.integer("today");
    stats.last24h = reader.integer("last24h");
    stats.byType = reader.integerMap("byType");
    stats.byApp = reader.integerMap("byApp");
    return reader.result(std::move(stats), reason);
}

QJsonObject XMTPStatus::toJson() const
{
    QJsonObject object{{QStringLiteral("running"), running}};
    insertIfPresent(object, "address", address);
    return object;
}

std::optional<XMTPStatus> XMTPStatus::fromJson(const QJsonValue& value, QString* reason)
{
    JsonReader reader(value);
    XMTPStatus status;
    status.address = reader.optionalString("address");
    status.running = reader.boolean("running");
    return reader.result(std::move(status), reason);
}

QJsonObject TelegramStatus::toJson() const
{
    QJsonObject object{{QStringLiteral("botUsername"), botUsername},
                       {QStringLiteral("configured"), configured}};
    insertIfPresent(object, "chatId", chatId);
    return object;
}

std::optional<TelegramStatus> TelegramStatus::fromJson(const QJsonValue& value, QString* reason)
{
    JsonReader reader(value);
    TelegramStatus status;
    status.botUsername = reader.string("botUsername");
    status.chatId = reader.optionalString("chatId");
    status.configured = reader.boolean("configured");
    return reader.result(std::move(status), reason);
}

QJsonObject Automation::toJson() const
{
    QJsonObject object{{QStringLiteral("id"), id},
                       {QStringLiteral("skillId"), skillId},
                       {QStringLiteral("schedule"), schedule},
                       {QStringLiteral("enabled"), enabled}};
    insertIfPresent(object, "name", name);
    return object;
}

std::optional<Automation> Automation::fromJson(const QJsonValue& value, QString* reason)
{
    JsonReader reader(value);
    Automation automation;
    automation.id = reader.string("id");
    automation.skillId = reader.string("skillId");
    automation.name = reader.optionalString("name");
    automation.schedule = reader.string("schedule");
    automation.enabled = reader.boolean("enabled");
    return reader.result(std::move(automation), reason);
}

QJsonObject CustomSkillDef::toJson() const
{
    return {{QStringLiteral("id"), id},
            {QStringLiteral("name"), name},
            {QStringLiteral("emoji"), emoji},
            {QStringLiteral("script"), script}};
}

std::optional<CustomSkillDef> CustomSkillDef::fromJson(const QJsonValue& value, QString* reason)
{
    JsonReader reader(value);
    CustomSkillDef skill;
    skill.id = reader.string("id");
    skill.name = reader.string("name");
    skill.emoji = reader.string("emoji");
    skill.script = reader.string("script");
    return reader.result(std::move(skill), reason);
}

namespace CustomSkillDefs {

std::optional<QList<CustomSkillDef>> fromJson(const QJsonValue& value, QString* reason)
{
    return JsonValues::decodeList<CustomSkillDef>(
        value, [](const QJsonValue& element, QString* why) { return CustomSkillDef::fromJson(element, why); },
        reason);
}

} // namespace CustomSkillDefs
