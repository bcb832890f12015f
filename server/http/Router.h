#pragma once

#include "http/HttpConnection.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Sends each request to the handler of its method and path. A pattern is a fixed path, or a fixed prefix
// followed by "/*", which matches exactly one more segment (percent-decoded into pathParameter).
// A known path with another method is answered 405, an unknown one 404.
class Router
{
public:
    void add(const QByteArray& method, const QString& pattern, RequestHandler handler);
    void handle(const HttpRequest& request, const HttpResponder& responder) const;

private:
    struct Route
    {
        QByteArray method;
        QString pattern;
        RequestHandler handler;
    };

    static bool matches(const QString& pattern, const QString& path, QString& parameter);

    QList<Route> m_routes;
};
