#include "model/SecurityAlert.h"

namespace {

bool readString(const QJsonObject& object, QLatin1String key, QString& into)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return false;
    into = value.toString();
    return true;
}

} // namespace

QJsonObject SecurityAlert::toJson() const
{
    QJsonObject object{{QStringLiteral("type"), type},
                       {QStringLiteral("app"), app},
                       {QStringLiteral("path"), path},
                       {QStringLiteral("timestamp"), timestamp}};
    if (details)
        object.insert(QStringLiteral("details"), *details);
    return object;
}

std::optional<SecurityAlert> SecurityAlert::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    SecurityAlert alert;
    if (!readString(object, QLatin1String("type"), alert.type) ||
        !readString(object, QLatin1String("app"), alert.app) ||
        !readString(object, QLatin1String("path"), alert.path) ||
        !readString(object, QLatin1String("timestamp"), alert.timestamp))
        return std::nullopt;
    const QJsonValue details = object.value(QLatin1String("details"));
    if (details.isString())
        alert.details = details.toString();
    else if (!details.isUndefined() && !details.isNull())
        return std::nullopt;
    return alert;
}

namespace SecurityAlerts {

QJsonArray toJson(const QList<SecurityAlert>& alerts)
{
    QJsonArray array;
    for (const SecurityAlert& alert : alerts)
        array.append(alert.toJson());
    return array;
}

std::optional<QList<SecurityAlert>> fromJson(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    QList<SecurityAlert> alerts;
    alerts.reserve(array.size());
    for (const QJsonValue& element : array) {
        auto alert = SecurityAlert::fromJson(element);
        if (!alert)
            return std::nullopt;
        alerts.append(std::move(*alert));
    }
    return alerts;
}

} // namespace SecurityAlerts
