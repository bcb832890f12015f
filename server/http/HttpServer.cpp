#include "http/HttpServer.h"

#include "http/SocketDiag.h"
#include "http/TcpSocketOwner.h"

#include <QTcpSocket>

#include <unistd.h>

HttpServer::HttpServer(Options options, QObject* parent) : QObject(parent), m_options(std::move(options))
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpServer::acceptPending);
}

bool HttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, m_options.port);
}

std::optional<uint> HttpServer::socketOwner(const QTcpSocket& socket, quint64* inode) const
{
    if (m_options.useSocketDiag) {
        // The client's socket: its own end is our peer, its other end is us.
        const SocketDiag::Lookup found = SocketDiag::findTcp(socket.peerAddress(), socket.peerPort(),
                                                             socket.localAddress(), socket.localPort());
        if (found.answered) {
            if (!found.socket)
                return std::nullopt;
            *inode = found.socket->inode;
            return uint(found.socket->uid);
        }
    }
    const TcpSocketOwner::Endpoints endpoints{socket.peerAddress().toIPv4Address(), socket.peerPort(),
                                              socket.localAddress().toIPv4Address(), socket.localPort()};
    return TcpSocketOwner::lookup(m_options.procRoot, endpoints);
}

void HttpServer::acceptPending()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_open.size() >= m_options.maxConnections && !makeRoom()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        quint64 inode = 0;
        const std::optional<uint> owner = socketOwner(*socket, &inode);
        if (m_options.checkPeerOwner && owner != ::geteuid()) {
            m_refusals.refused(owner, socket->peerPort());
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* connection =
            new HttpConnection(socket, m_server.serverPort(), m_handler, m_options.limits, this);
        connection->setPeerSocketInode(inode);
        m_open.append(connection);
        connect(connection, &HttpConnection::closed, this, [this, connection]() {
            m_open.removeOne(connection);
            connection->deleteLater();
        });
    }
}

// Idle keep-alive connections must not lock out a client with a request to make.
bool HttpServer::makeRoom()
{
    HttpConnection* oldest = nullptr;
    for (HttpConnection* connection : std::as_const(m_open)) {
        if (connection->isIdle() && (!oldest || connection->idleSince() < oldest->idleSince()))
            oldest = connection;
    }
    if (!oldest)
        return false;
    oldest->closeNow();
    return m_open.size() < m_options.maxConnections;
}
