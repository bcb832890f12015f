#include "http/TcpSocketOwner.h"

#include <QFile>
#include <QList>
#include <QtEndian>

namespace TcpSocketOwner {
namespace {

struct Address
{
    quint32 ip = 0;
    quint16 port = 0;
};

// "0100007F:E7FE": the address as the kernel prints its network-order bytes read as a native integer,
// then the port in hexadecimal.
std::optional<Address> parseAddress(QByteArrayView text)
{
    const qsizetype colon = text.indexOf(':');
    if (colon != 8)
        return std::nullopt;
    bool addressOk = false;
    bool portOk = false;
    const quint32 raw = text.first(colon).toUInt(&addressOk, 16);
    const uint port = text.sliced(colon + 1).toUInt(&portOk, 16);
    if (!addressOk || !portOk || port > 0xFFFF)
        return std::nullopt;
    return Address{qFromBigEndian(raw), quint16(port)};
}

} // namespace

std::optional<uint> findOwner(QByteArrayView table, const Endpoints& endpoints)
{
    const QList<QByteArray> lines = table.toByteArray().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].simplified().split(' ');
        // A socket in TIME_WAIT has no owner any more; the table shows it as root's.
        if (fields.size() < 8 || fields[3] == "06")
            continue;
        const std::optional<Address> local = parseAddress(fields[1]);
        const std::optional<Address> remote = parseAddress(fields[2]);
        if (!local || !remote || local->ip != endpoints.localAddress || local->port != endpoints.localPort ||
            remote->ip != endpoints.remoteAddress || remote->port != endpoints.remotePort)
            continue;
        bool ok = false;
        const uint uid = fields[7].toUInt(&ok);
        if (ok)
            return uid;
    }
    return std::nullopt;
}

std::optional<uint> lookup(const QString& procRoot, const Endpoints& endpoints)
{
    QFile file(procRoot + QStringLiteral("/net/tcp"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return findOwner(file.readAll(), endpoints);
}

} // namespace TcpSocketOwner
