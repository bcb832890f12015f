#include "skills/parsers/SocketTable.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QStringList>

namespace SocketTable {

bool Socket::isListening() const
{
    return state == QLatin1String("LISTEN") ||
           (protocol == QLatin1String("udp") && state == QLatin1String("UNCONN"));
}

bool Socket::isLoopbackOnly() const
{
    if (localAddress == QLatin1String("localhost"))
        return true;
    const QHostAddress address(localAddress);
    return !address.isNull() && address.isLoopback();
}

QString Socket::holderNames() const
{
    QStringList names;
    for (const Holder& holder : holders) {
        if (!names.contains(holder.name))
            names.append(holder.name);
    }
    return names.isEmpty() ? QStringLiteral("unknown process") : names.join(QStringLiteral(", "));
}

void splitEndpoint(const QString& endpoint, QString& address, QString& port)
{
    const qsizetype colon = endpoint.lastIndexOf(QLatin1Char(':'));
    address = colon < 0 ? endpoint : endpoint.left(colon);
    port = colon < 0 ? QString() : endpoint.mid(colon + 1);
    if (address.startsWith(QLatin1Char('[')) && address.endsWith(QLatin1Char(']')))
        address = address.mid(1, address.size() - 2);
    const qsizetype scope = address.indexOf(QLatin1Char('%'));
    if (scope >= 0)
        address.truncate(scope);
}

QList<Socket> parse(const QString& ssOutput)
{
    static const QRegularExpression holderPattern(QStringLiteral("\\(\"((?:[^\"\\\\]|\\\\.)*)\",pid=(\\d+)"));
    static const QRegularExpression whitespace(QStringLiteral("\\s+"));
    QList<Socket> sockets;
    for (const QString& line : ssOutput.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.trimmed().split(whitespace);
        if (fields.size() < 6 || fields[0] == QLatin1String("Netid"))
            continue;
        Socket socket;
        socket.protocol = fields[0];
        socket.state = fields[1];
        splitEndpoint(fields[4], socket.localAddress, socket.localPort);
        splitEndpoint(fields[5], socket.peerAddress, socket.peerPort);
        auto matches = holderPattern.globalMatch(line);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            socket.holders.append({match.captured(1), match.captured(2).toLongLong()});
        }
        sockets.append(socket);
    }
    return sockets;
}

} // namespace SocketTable
