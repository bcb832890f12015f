#include "http/Router.h"

#include <QUrl>

void Router::add(const QByteArray& method, const QString& pattern, RequestHandler handler)
{
    m_routes.append({method, pattern, std::move(handler)});
}

bool Router::matches(const QString& pattern, const QString& path, QString& parameter)
{
    if (!pattern.endsWith(QLatin1String("/*")))
        return path == pattern;
    const QStringView prefix = QStringView(pattern).chopped(1); // keeps the slash
    if (!path.startsWith(prefix))
        return false;
    const QStringView segment = QStringView(path).sliced(prefix.size());
    if (segment.isEmpty() || segment.contains(QLatin1Char('/')))
        return false;
    parameter = QUrl::fromPercentEncoding(segment.toLatin1());
    return !parameter.isEmpty();
}

void Router::handle(const HttpRequest& request, const HttpResponder& responder) const
{
    bool pathKnown = false;
    for (const Route& route : m_routes) {
        QString parameter;
        if (!matches(route.pattern, request.path, parameter))
            continue;
        pathKnown = true;
        if (route.method != request.method)
            continue;
        HttpRequest routed = request;
        routed.pathParameter = parameter;
        route.handler(routed, responder);
        return;
    }
    responder.send(pathKnown ? HttpResponse::error(405, QStringLiteral("Method not allowed on this path"))
                             : HttpResponse::error(404, QStringLiteral("No such endpoint")));
}
