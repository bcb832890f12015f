#pragma once

#include <QHostAddress>

#include <optional>

#include <sys/types.h>

// One TCP socket of this machine looked up in the kernel with a single NETLINK_SOCK_DIAG request: an
// exact lookup by its four endpoints, answered from the kernel's connection hash whatever the number
// of sockets (reading /proc/net/tcp costs time in proportion to it). An IPv4 lookup also finds an
// IPv6 socket connected to an IPv4-mapped address.
namespace SocketDiag {

struct Socket
{
    uid_t uid = 0;
    quint64 inode = 0; // 0 once no file holds the socket any more
};

struct Lookup
{
    bool answered = false;        // false: the kernel could not be asked (no sock_diag here)
    std::optional<Socket> socket; // nothing: no such socket
};

// The socket whose own end is `local` and whose other end is `remote`.
Lookup findTcp(const QHostAddress& localAddress, quint16 localPort, const QHostAddress& remoteAddress,
               quint16 remotePort);

} // namespace SocketDiag
