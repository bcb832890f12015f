#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// One HTTP answer. Every answer of the API is JSON.
struct HttpResponse
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json";

    static HttpResponse json(const QJsonObject& object, int status = 200);
    static HttpResponse json(const QJsonArray& array, int status = 200);
    // {"success": true}
    static HttpResponse succeeded();
    // {"success": false, "error": message} with a 4xx or 5xx status.
    static HttpResponse error(int status, const QString& message);

    // The whole message on the wire, with the connection header for `keepAlive`.
    QByteArray serialize(bool keepAlive) const;

    static QByteArray reasonPhrase(int status);
};
