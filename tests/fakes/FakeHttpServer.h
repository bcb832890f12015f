#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for tests: it records every request and answers from a handler
// (or a default reply). One request per connection; every answer closes the connection.
class FakeHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray target;                     // path and query, as sent
        QHash<QByteArray, QByteArray> headers; // names lower-cased
        QByteArray body;

        QByteArray path() const;  // target without the query
        QByteArray query() const; // after "?", empty when none
        QJsonObject json() const;
    };

    struct Reply
    {
        int status = 200;
        QByteArray body = "{}";
        QByteArray contentType = "application/json";
        bool neverAnswer = false; // keep the connection open and silent
        int delayMs = 0;          // answer this long after the request arrived
    };

    using Handler = std::function<Reply(const Request&)>;

    explicit FakeHttpServer(QObject* parent = nullptr);

    quint16 port() const { return m_server.serverPort(); }
    QString baseUrl() const; // "http://127.0.0.1:<port>"

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Answers every request with this reply.
    void setReply(const Reply& reply);

    const QList<Request>& requests() const { return m_requests; }
    bool waitForRequests(int count, int timeoutMs = 5000) const;
    void clearRequests() { m_requests.clear(); }
    // Stops listening: later connections are refused, as when the service is down.
    void close() { m_server.close(); }

Q_SIGNALS:
    void requestReceived(const FakeHttpServer::Request& request);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);

    QTcpServer m_server;
    Handler m_handler;
    QList<Request> m_requests;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};
