#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace JsonFields {

// The string at `key`; nothing when it is absent or not a string.
inline std::optional<QString> string(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
}

} // namespace JsonFields
