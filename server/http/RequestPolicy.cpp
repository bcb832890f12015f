#include "http/RequestPolicy.h"

namespace RequestPolicy {
namespace {

bool isJsonMediaType(const QByteArray& contentType)
{
    const qsizetype parameters = contentType.indexOf(';');
    const QByteArray mediaType = (parameters < 0 ? contentType : contentType.left(parameters)).trimmed();
    return mediaType.compare("application/json", Qt::CaseInsensitive) == 0;
}

bool comesFromBrowserContext(const HttpRequest& head)
{
    if (head.hasHeader("origin"))
        return true;
    for (auto it = head.headers.cbegin(); it != head.headers.cend(); ++it) {
        if (it.key().startsWith("sec-fetch-"))
            return true;
    }
    return false;
}

std::optional<qint64> parseLength(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    return text.toLongLong();
}

} // namespace

bool isLoopbackHost(const QByteArray& host, quint16 serverPort)
{
    const QByteArray lower = host.toLower();
    const QByteArray port = QByteArray::number(serverPort);
    for (const char* name : {"127.0.0.1", "localhost", "[::1]"}) {
        if (lower == QByteArray(name) + ':' + port)
            return true;
        // A client leaves out the scheme's default port.
        if (serverPort == 80 && lower == name)
            return true;
    }
    return false;
}

std::optional<HttpResponse> check(const HttpRequest& head, quint16 serverPort, qint64& expectedBodyBytes)
{
    expectedBodyBytes = 0;
    if (!isLoopbackHost(head.header("host"), serverPort))
        return HttpResponse::error(
            421, QStringLiteral("Host must be a loopback name with port %1").arg(serverPort));
    if (comesFromBrowserContext(head))
        return HttpResponse::error(403, QStringLiteral("Requests from web pages are refused"));
    if (head.hasHeader("transfer-encoding"))
        return HttpResponse::error(411, QStringLiteral("Send the body with a Content-Length"));
    if (!head.hasHeader("content-length"))
        return std::nullopt;
    const std::optional<qint64> length = parseLength(head.header("content-length"));
    if (!length)
        return HttpResponse::error(400, QStringLiteral("Invalid Content-Length"));
    if (*length == 0)
        return std::nullopt;
    if (!isJsonMediaType(head.header("content-type")))
        return HttpResponse::error(415, QStringLiteral("Bodies must be application/json"));
    if (*length > maxBodyBytes)
        return HttpResponse::error(413, QStringLiteral("Bodies are limited to %1 bytes").arg(maxBodyBytes));
    expectedBodyBytes = *length;
    return std::nullopt;
}

} // namespace RequestPolicy
