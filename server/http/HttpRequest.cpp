#include "http/HttpRequest.h"

#include <QJsonDocument>

bool HttpRequest::keepAlive() const
{
    const QByteArray connection = header("connection").toLower();
    if (minorVersion == 0)
        return connection.contains("keep-alive");
    return !connection.contains("close");
}

std::optional<QJsonObject> HttpRequest::jsonObject() const
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}
