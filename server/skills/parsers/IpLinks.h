#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The network interfaces as `ip -j -d link show` describes them, and the interface a destination
// takes as `ip -j route get` answers (policy routing included, unlike the main table alone).
namespace IpLinks {

struct Link
{
    int index = 0;
    QString name;
    QString kind;     // linkinfo.info_kind: "wireguard", "tun", "bridge", ...
    QString linkType; // "ether", "loopback", "none" (a layer-3 tunnel), "ppp", ...
    QString operState;
    QStringList flags;
    int promiscuity = 0; // how many times promiscuous mode was asked for
    QString address;

    bool isUp() const { return flags.contains(QLatin1String("UP")); }
    bool isLoopback() const { return linkType == QLatin1String("loopback"); }
    bool isPromiscuous() const { return promiscuity > 0 || flags.contains(QLatin1String("PROMISC")); }
    bool isVpnTunnel() const;
};

QList<Link> parse(const QString& json);
// The "dev" of the first route in the answer; empty when there is none.
QString routeDevice(const QString& routeGetJson);

} // namespace IpLinks
