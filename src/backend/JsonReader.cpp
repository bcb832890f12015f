#include "backend/JsonReader.h"

#include <cmath>

namespace {
// Beyond 2^53 a JSON number no longer holds every integer exactly.
constexpr double largestExactInteger = 9007199254740992.0;
} // namespace

namespace JsonValues {

bool isInteger(const QJsonValue& value)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    return std::isfinite(number) && std::trunc(number) == number && std::fabs(number) <= largestExactInteger;
}

} // namespace JsonValues

JsonReader::JsonReader(const QJsonValue& value)
{
    if (value.isObject())
        m_object = value.toObject();
    else
        fail(QStringLiteral("expected an object"));
}

void JsonReader::fail(const QString& reason)
{
    if (!failed())
        m_reason = reason;
}

void JsonReader::wrongType(const char* key, const char* expected)
{
    fail(QStringLiteral("key \"%1\" is not %2").arg(QLatin1String(key), QLatin1String(expected)));
}

std::optional<QJsonValue> JsonReader::required(const char* key)
{
    if (failed())
        return std::nullopt;
    const QJsonValue value = m_object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull()) {
        fail(QStringLiteral("key \"%1\" is missing").arg(QLatin1String(key)));
        return std::nullopt;
    }
    return value;
}

std::optional<QJsonValue> JsonReader::optional(const char* key)
{
    if (failed())
        return std::nullopt;
    const QJsonValue value = m_object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    return value;
}

QString JsonReader::string(const char* key)
{
    const auto value = required(key);
    if (value && !value->isString())
        wrongType(key, "a string");
    return failed() ? QString() : value->toString();
}

std::optional<QString> JsonReader::optionalString(const char* key)
{
    const auto value = optional(key);
    if (!value)
        return std::nullopt;
    if (!value->isString()) {
        wrongType(key, "a string");
        return std::nullopt;
    }
    return value->toString();
}

bool JsonReader::boolean(const char* key)
{
    const auto value = required(key);
    if (value && !value->isBool())
        wrongType(key, "a boolean");
    return !failed() && value->toBool();
}

qint64 JsonReader::integer(const char* key)
{
    const auto value = required(key);
    if (value && !JsonValues::isInteger(*value))
        wrongType(key, "an integer");
    return failed() ? 0 : qint64(value->toDouble());
}

QMap<QString, qint64> JsonReader::integerMap(const char* key)
{
    const auto value = required(key);
    if (value && !value->isObject())
        wrongType(key, "an object");
    if (failed())
        return {};
    QMap<QString, qint64> map;
    const QJsonObject object = value->toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!JsonValues::isInteger(it.value())) {
            wrongType(key, "an object of integers");
            return {};
        }
        map.insert(it.key(), qint64(it.value().toDouble()));
    }
    return map;
}

QJsonArray JsonReader::array(const char* key)
{
    const auto value = required(key);
    if (value && !value->isArray())
        wrongType(key, "an array");
    return failed() ? QJsonArray() : value->toArray();
}

std::optional<QStringList> JsonReader::optionalStringList(const char* key)
{
    const auto value = optional(key);
    if (!value)
        return std::nullopt;
    if (!value->isArray()) {
        wrongType(key, "an array of strings");
        return std::nullopt;
    }
    QStringList list;
    for (const QJsonValue& element : value->toArray()) {
        if (!element.isString()) {
            wrongType(key, "an array of strings");
            return std::nullopt;
        }
        list.append(element.toString());
    }
    return list;
}
