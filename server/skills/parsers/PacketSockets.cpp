#include "skills/parsers/PacketSockets.h"

#include <QRegularExpression>
#include <QStringList>

namespace PacketSockets {

QList<Socket> parse(const QString& table)
{
    static const QRegularExpression whitespace(QStringLiteral("\\s+"));
    QList<Socket> sockets;
    for (const QString& line : table.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.trimmed().split(whitespace);
        // sk RefCnt Type Proto Iface R Rmem User Inode
        if (f.size() < 9 || f[0] == QLatin1String("sk"))
            continue;
        sockets.append({f[2].toInt(), quint16(f[3].toUInt(nullptr, 16)), f[4].toInt(), f[7].toUInt(),
                        f[8].toLongLong()});
    }
    return sockets;
}

} // namespace PacketSockets
