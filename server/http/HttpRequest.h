#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>

#include <optional>

// One HTTP request as the server received it.
struct HttpRequest
{
    QByteArray method;
    QByteArray target; // as sent: path and query
    QString path;      // the target without its query, still percent-encoded
    int minorVersion = 1;
    QHash<QByteArray, QByteArray> headers; // names lower-cased, each name at most once
    QByteArray body;
    QString pathParameter;       // the last segment of a route ending in "*", percent-decoded
    quint64 peerSocketInode = 0; // the client's socket, when the kernel told; 0 otherwise

    QByteArray header(const QByteArray& lowerCaseName) const { return headers.value(lowerCaseName); }
    bool hasHeader(const QByteArray& lowerCaseName) const { return headers.contains(lowerCaseName); }
    // Whether the connection stays open after the answer (HTTP/1.1 by default, HTTP/1.0 on request).
    bool keepAlive() const;
    // The body as a JSON object; nothing when it is absent, not JSON or not an object.
    std::optional<QJsonObject> jsonObject() const;
};
