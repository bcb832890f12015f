#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// Strict reading of one JSON object: a required key that is missing, or any listed key holding a value
// of the wrong type, fails the whole record; an optional key may be missing or null; other keys are
// ignored. The first failure is kept as the reason and later reads return defaults.
class JsonReader
{
public:
    explicit JsonReader(const QJsonValue& value);

    QString string(const char* key);
    std::optional<QString> optionalString(const char* key);
    bool boolean(const char* key);
    qint64 integer(const char* key);
    QMap<QString, qint64> integerMap(const char* key);
    QJsonArray array(const char* key);
    std::optional<QStringList> optionalStringList(const char* key);

    void fail(const QString& reason);
    bool failed() const { return !m_reason.isEmpty(); }
    QString reason() const { return m_reason; }

    // The record when every read succeeded; otherwise nothing, with the reason stored in `reason`.
    template <typename T> std::optional<T> result(T record, QString* reason) const
    {
        if (!failed())
            return record;
        if (reason)
            *reason = m_reason;
        return std::nullopt;
    }

private:
    // The value of a required key, or nothing (and the record failed) when it is missing.
    std::optional<QJsonValue> required(const char* key);
    // The value of an optional key, or nothing when it is missing or null.
    std::optional<QJsonValue> optional(const char* key);
    void wrongType(const char* key, const char* expected);

    QJsonObject m_object;
    QString m_reason;
};

namespace JsonValues {

bool isInteger(const QJsonValue& value);

// Every element decoded with `decode`; one bad element fails the whole list.
template <typename T, typename Decode>
std::optional<QList<T>> decodeList(const QJsonValue& value, Decode decode, QString* reason)
{
    if (!value.isArray()) {
        if (reason)
            *reason = QStringLiteral("expected an array");
        return std::nullopt;
    }
    QList<T> list;
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        QString elementReason;
        std::optional<T> element = decode(array.at(i), &elementReason);
        if (!element) {
            if (reason)
                *reason = QStringLiteral("element %1: %2").arg(i).arg(elementReason);
            return std::nullopt;
        }
        list.append(std::move(*element));
    }
    return list;
}

} // namespace JsonValues
