#pragma once

#include <QList>
#include <QString>

// The sockets `ss -H -tuanp` lists: one line per socket, with the processes that hold it when the
// kernel tells us (our own processes, or every process for root).
namespace SocketTable {

struct Holder
{
    QString name;
    qint64 pid = 0;
};

struct Socket
{
    QString protocol; // "tcp", "udp"
    QString state;    // "LISTEN", "ESTAB", "UNCONN", "TIME-WAIT", ...
    QString localAddress;
    QString localPort;
    QString peerAddress;
    QString peerPort;
    QList<Holder> holders;

    bool isListening() const;
    // Bound to a loopback address only: unreachable from other machines.
    bool isLoopbackOnly() const;
    QString holderNames() const; // "sshd, cupsd", or "unknown process"
};

QList<Socket> parse(const QString& ssOutput);

// "[::1]:631" or "0.0.0.0%lo:53" into address and port.
void splitEndpoint(const QString& endpoint, QString& address, QString& port);

} // namespace SocketTable
