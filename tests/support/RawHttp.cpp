#include "support/RawHttp.h"

#include <QTest>

// Waiting processes events, so a server in the same process keeps answering.
RawHttpConnection::RawHttpConnection(quint16 port, quint16 localPort)
{
    if (localPort != 0)
        m_socket.bind(QHostAddress::LocalHost, localPort);
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    (void)QTest::qWaitFor([this] { return m_socket.state() == QAbstractSocket::ConnectedState; }, 5000);
}

void RawHttpConnection::send(const QByteArray& bytes)
{
    m_socket.write(bytes);
    m_socket.flush();
}

std::optional<RawHttpResponse> RawHttpConnection::takeResponse()
{
    m_buffer += m_socket.readAll();
    const qsizetype headEnd = m_buffer.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return std::nullopt;
    const QList<QByteArray> lines = m_buffer.left(headEnd).split('\n');
    RawHttpResponse response;
    response.status = lines.value(0).split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            response.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                    lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = response.headers.value("content-length").toLongLong();
    if (m_buffer.size() < headEnd + 4 + length)
        return std::nullopt;
    response.body = m_buffer.mid(headEnd + 4, length);
    m_buffer.remove(0, headEnd + 4 + length);
    return response;
}

std::optional<RawHttpResponse> RawHttpConnection::readResponse(int timeoutMs)
{
    std::optional<RawHttpResponse> response;
    (void)QTest::qWaitFor(
        [&] {
            response = takeResponse();
            return response.has_value() || m_socket.state() == QAbstractSocket::UnconnectedState;
        },
        timeoutMs);
    if (!response)
        response = takeResponse();
    return response;
}

bool RawHttpConnection::waitForClose(int timeoutMs)
{
    return QTest::qWaitFor(
        [this] {
            m_buffer += m_socket.readAll();
            return m_socket.state() == QAbstractSocket::UnconnectedState;
        },
        timeoutMs);
}

QByteArray RawHttpConnection::request(const QByteArray& method, const QByteArray& path, quint16 port,
                                      const QByteArray& body, const QByteArray& extraHeaders)
{
    QByteArray bytes =
        method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n";
    if (!body.isEmpty())
        bytes +=
            "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
    return bytes + extraHeaders + "\r\n" + body;
}
