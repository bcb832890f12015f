#pragma once

#include <QList>
#include <QString>

// Packet sockets (/proc/net/packet): what programs such as tcpdump open to see the frames of an
// interface, or of every interface.
namespace PacketSockets {

struct Socket
{
    int type = 0;           // 3: raw frames, 2: frames without the link header
    quint16 protocol = 0;   // 0x0003: every protocol
    int interfaceIndex = 0; // 0: every interface
    uint uid = 0;
    qint64 inode = 0;

    bool capturesAllProtocols() const { return protocol == 0x0003; }
};

QList<Socket> parse(const QString& table);

} // namespace PacketSockets
