#include "http/RequestHeadParser.h"

namespace RequestHeadParser {
namespace {

// Fields that decide where a message goes or how long it is: a second copy is an attempt to make two
// readers see two different messages.
bool mustBeUnique(const QByteArray& name)
{
    return name == "host" || name == "content-length" || name == "content-type" ||
           name == "transfer-encoding" || name == "origin";
}

bool isTokenCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!isTokenCharacter(c))
            return false;
    }
    return true;
}

Result refuse(int status, const QString& error)
{
    return {std::nullopt, status, error};
}

Result parseRequestLine(const QByteArray& line, HttpRequest& request)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || !parts[1].startsWith('/'))
        return refuse(400, QStringLiteral("Malformed request line"));
    if (parts[2] == "HTTP/1.1")
        request.minorVersion = 1;
    else if (parts[2] == "HTTP/1.0")
        request.minorVersion = 0;
    else if (parts[2].startsWith("HTTP/"))
        return refuse(505, QStringLiteral("Only HTTP/1.0 and HTTP/1.1 are served"));
    else
        return refuse(400, QStringLiteral("Malformed request line"));
    request.method = parts[0];
    request.target = parts[1];
    const qsizetype query = request.target.indexOf('?');
    request.path = QString::fromLatin1(query < 0 ? request.target : request.target.left(query));
    return {};
}

} // namespace

Result parse(const QByteArray& head)
{
    if (!head.endsWith("\r\n\r\n"))
        return refuse(400, QStringLiteral("Incomplete request head"));
    QList<QByteArray> lines = head.left(head.size() - 4).split('\n');
    HttpRequest request;
    for (QByteArray& line : lines) {
        if (!line.endsWith('\r') && &line != &lines.last())
            return refuse(400, QStringLiteral("Lines must end with CR LF"));
        if (line.endsWith('\r'))
            line.chop(1);
    }
    if (const Result failed = parseRequestLine(lines.first(), request); failed.errorStatus != 0)
        return failed;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(QByteArrayView(line).first(colon)))
            return refuse(400, QStringLiteral("Malformed header field"));
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (request.headers.contains(name)) {
            if (mustBeUnique(name))
                return refuse(400,
                              QStringLiteral("Repeated header field: %1").arg(QString::fromLatin1(name)));
            request.headers[name] += ", " + value;
        } else {
            request.headers.insert(name, value);
        }
    }
    return {std::move(request), 0, {}};
}

} // namespace RequestHeadParser
