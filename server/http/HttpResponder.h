#pragma once

#include "http/HttpResponse.h"

#include <QPointer>

class HttpConnection;

// Answers one request, now or later. Once the connection is gone, or the request was already answered,
// the answer is dropped.
class HttpResponder
{
public:
    HttpResponder() = default;
    HttpResponder(HttpConnection* connection, quint64 serial);

    void send(const HttpResponse& response) const;
    bool isConnected() const;

private:
    QPointer<HttpConnection> m_connection;
    quint64 m_serial = 0;
};
