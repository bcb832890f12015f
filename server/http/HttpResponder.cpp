#include "http/HttpResponder.h"

#include "http/HttpConnection.h"

HttpResponder::HttpResponder(HttpConnection* connection, quint64 serial)
    : m_connection(connection), m_serial(serial)
{
}

void HttpResponder::send(const HttpResponse& response) const
{
    if (m_connection)
        m_connection->answer(m_serial, response);
}

bool HttpResponder::isConnected() const
{
    return m_connection && m_connection->isAnswerable(m_serial);
}
