#pragma once

#include <QByteArray>
#include <QHash>
#include <QTcpSocket>

#include <optional>

// One HTTP answer as read off the wire.
struct RawHttpResponse
{
    int status = 0;
    QHash<QByteArray, QByteArray> headers; // names lower-cased
    QByteArray body;
};

// A client connection that writes exactly the bytes a test gives it, for requests no well-behaved
// client library would send (forged Host, Origin, partial heads, oversized bodies).
class RawHttpConnection
{
public:
    explicit RawHttpConnection(quint16 port, quint16 localPort = 0);

    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    void send(const QByteArray& bytes);
    // The next complete answer; nothing when none arrives in time or the connection closes first.
    std::optional<RawHttpResponse> readResponse(int timeoutMs = 5000);
    // True when the server closed the connection within the time.
    bool waitForClose(int timeoutMs = 5000);

    // A request with the loopback Host of `port`; a body is sent as application/json.
    static QByteArray request(const QByteArray& method, const QByteArray& path, quint16 port,
                              const QByteArray& body = {}, const QByteArray& extraHeaders = {});

private:
    std::optional<RawHttpResponse> takeResponse();

    QTcpSocket m_socket;
    QByteArray m_buffer;
};
