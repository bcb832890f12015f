#include "skills/parsers/IpLinks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace IpLinks {

bool Link::isVpnTunnel() const
{
    static const QRegularExpression vpnName(
        QStringLiteral("^(tun|tap|wg|ppp|vpn|ipsec|tailscale|nordlynx|proton|mullvad|zt|utun)"));
    return kind == QLatin1String("wireguard") || kind == QLatin1String("tun") ||
           linkType == QLatin1String("ppp") || linkType == QLatin1String("none") ||
           vpnName.match(name).hasMatch();
}

QList<Link> parse(const QString& json)
{
    QList<Link> links;
    for (const QJsonValue& value : QJsonDocument::fromJson(json.toUtf8()).array()) {
        const QJsonObject object = value.toObject();
        QStringList flags;
        for (const QJsonValue& flag : object.value(QStringLiteral("flags")).toArray())
            flags.append(flag.toString());
        links.append({object.value(QStringLiteral("ifindex")).toInt(),
                      object.value(QStringLiteral("ifname")).toString(),
                      object.value(QStringLiteral("linkinfo"))
                          .toObject()
                          .value(QStringLiteral("info_kind"))
                          .toString(),
                      object.value(QStringLiteral("link_type")).toString(),
                      object.value(QStringLiteral("operstate")).toString(), flags,
                      object.value(QStringLiteral("promiscuity")).toInt(),
                      object.value(QStringLiteral("address")).toString()});
    }
    return links;
}

QString routeDevice(const QString& routeGetJson)
{
    const QJsonArray routes = QJsonDocument::fromJson(routeGetJson.toUtf8()).array();
    return routes.isEmpty() ? QString() : routes.first().toObject().value(QStringLiteral("dev")).toString();
}

} // namespace IpLinks
