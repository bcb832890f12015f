#pragma once

#include "http/HttpResponse.h"

#include <QPointer>

#include <functional>

class HttpConnection;

// Answers one request, now or later. Once the connection is gone, or the request was already answered,
// the answer is dropped.
class HttpResponder
{
public:
    using Sink = std::function<void(const HttpResponse&)>;

    HttpResponder() = default;
    HttpResponder(HttpConnection* connection, quint64 serial);
    // Answers go to `sink`, for requests handled without a connection (the fuzz harness of the router).
    explicit HttpResponder(Sink sink);

    void send(const HttpResponse& response) const;
    bool isConnected() const;

private:
    QPointer<HttpConnection> m_connection;
    quint64 m_serial = 0;
    Sink m_sink;
};
