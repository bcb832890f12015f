#include "http/HttpResponse.h"

#include <QJsonDocument>

HttpResponse HttpResponse::json(const QJsonObject& object, int status)
{
    return {status, QJsonDocument(object).toJson(QJsonDocument::Compact), "application/json"};
}

HttpResponse HttpResponse::json(const QJsonArray& array, int status)
{
    return {status, QJsonDocument(array).toJson(QJsonDocument::Compact), "application/json"};
}

HttpResponse HttpResponse::succeeded()
{
    return json(QJsonObject{{QStringLiteral("success"), true}});
}

HttpResponse HttpResponse::error(int status, const QString& message)
{
    return json(QJsonObject{{QStringLiteral("success"), false}, {QStringLiteral("error"), message}}, status);
}

QByteArray HttpResponse::reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 411:
        return "Length Required";
    case 413:
        return "Content Too Large";
    case 415:
        return "Unsupported Media Type";
    case 421:
        return "Misdirected Request";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Status";
    }
}

QByteArray HttpResponse::serialize(bool keepAlive) const
{
    QByteArray message;
    message.reserve(body.size() + 200);
    message += "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    message += "Content-Type: " + contentType + "\r\n";
    message += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    // Nothing here may be cached or sniffed into something a browser would run.
    message += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    message += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    message += body;
    return message;
}
