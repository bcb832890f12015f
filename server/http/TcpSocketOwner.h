#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// Which user owns a TCP socket of this machine, from the kernel's socket table (/proc/net/tcp). The
// server looks up the client's end of each accepted connection: local address and port of the client
// socket, remote address and port of the server.
namespace TcpSocketOwner {

struct Endpoints
{
    quint32 localAddress = 0; // IPv4, host byte order
    quint16 localPort = 0;
    quint32 remoteAddress = 0;
    quint16 remotePort = 0;
};

// From the text of a /proc/net/tcp table: the uid of the socket with exactly these endpoints.
std::optional<uint> findOwner(QByteArrayView table, const Endpoints& endpoints);

// Reads <procRoot>/net/tcp; nothing when the socket is not listed or the table cannot be read.
std::optional<uint> lookup(const QString& procRoot, const Endpoints& endpoints);

} // namespace TcpSocketOwner
