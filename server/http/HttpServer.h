#pragma once

#include "http/HttpConnection.h"
#include "http/RefusalLog.h"

#include <QObject>
#include <QTcpServer>

// The API's HTTP/1.1 server, on 127.0.0.1 only. Qt's HTTP server module of Qt 6.4 reads a whole body
// before a handler sees the request and has no read deadline, so it cannot refuse an oversized body
// without buffering it nor cut off a slow client: this small server does both, and refuses
// connections from sockets of other users of the machine before reading a byte.
class HttpServer : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        quint16 port = 3456;
        QString procRoot = QStringLiteral("/proc");
        bool checkPeerOwner = true; // Linux: refuse connections from sockets of other users
        // Ask the kernel (sock_diag) who owns the client's socket; false, or where it cannot be asked,
        // read <procRoot>/net/tcp instead.
        bool useSocketDiag = true;
        HttpConnection::Limits limits;
        // At this many, a new client takes the place of the connection idle for longest; with none
        // idle, it is refused.
        int maxConnections = 64;
    };

    explicit HttpServer(Options options, QObject* parent = nullptr);

    void setHandler(RequestHandler handler) { m_handler = std::move(handler); }
    bool listen();
    QString errorString() const { return m_server.errorString(); }
    quint16 port() const { return m_server.serverPort(); }

private:
    void acceptPending();
    // The user owning the client's socket, and its inode when the kernel told; none when not found.
    std::optional<uint> socketOwner(const QTcpSocket& socket, quint64* inode) const;

    Options m_options;
    QTcpServer m_server;
    bool makeRoom();

    RequestHandler m_handler;
    QList<HttpConnection*> m_open;
    RefusalLog m_refusals;
};
