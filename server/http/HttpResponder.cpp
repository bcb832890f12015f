#include "http/HttpResponder.h"

#include "http/HttpConnection.h"

HttpResponder::HttpResponder(HttpConnection* connection, quint64 serial)
    : m_connection(connection), m_serial(serial)
{
}

HttpResponder::HttpResponder(Sink sink) : m_sink(std::move(sink)) {}

void HttpResponder::send(const HttpResponse& response) const
{
    if (m_sink)
        m_sink(response);
    else if (m_connection)
        m_connection->answer(m_serial, response);
}

bool HttpResponder::isConnected() const
{
    return m_sink ? true : m_connection && m_connection->isAnswerable(m_serial);
}
