#include "skills/threats/DnsLeakCheck.h"

#include "skills/SkillText.h"
#include "skills/parsers/IpLinks.h"
#include "skills/parsers/ResolverConfig.h"
#include "skills/parsers/TextFields.h"

#include <QHostAddress>
#include <QSet>

namespace DnsLeakCheck {
namespace {

constexpr int maxServers = 8;

QString routeKey(const QString& server)
{
    return QStringLiteral("route:") + server;
}

QStringList tunnelsUp(const SkillInput& input)
{
    QStringList names;
    for (const IpLinks::Link& link : IpLinks::parse(input.output(QStringLiteral("links")).out)) {
        if (link.isVpnTunnel() && link.isUp() && !link.isLoopback())
            names.append(link.name);
    }
    return names;
}

// The links systemd-resolved sends every name to ("~." among their domains).
QStringList catchAllLinks(const SkillInput& input)
{
    QStringList links;
    for (const ResolverConfig::LinkServers& link :
         ResolverConfig::parseResolvectlDomains(input.output(QStringLiteral("domains")).out)) {
        if (link.servers.contains(QStringLiteral("~.")))
            links.append(link.link);
    }
    return links;
}

} // namespace

QStringList servers(const SkillInput& input)
{
    QStringList found;
    for (const ResolverConfig::LinkServers& link :
         ResolverConfig::parseResolvectlDns(input.output(QStringLiteral("dns")).out))
        found += link.servers;
    for (const QString& server :
         ResolverConfig::parseResolvConf(TextFields::readFile(QStringLiteral("/etc/resolv.conf")))) {
        if (!ResolverConfig::isLocalStub(server))
            found.append(server);
    }
    found.removeDuplicates();
    // Link-local servers carry a scope the route lookup would need; they never leave the link anyway.
    found.removeIf([](const QString& server) { return QHostAddress(server).isLinkLocal(); });
    return found.mid(0, maxServers);
}

ToolCalls routeCalls(const SkillInput& input)
{
    ToolCalls calls;
    for (const QString& server : servers(input))
        calls.insert(routeKey(server),
                     {QStringLiteral("ip"),
                      {QStringLiteral("-j"), QStringLiteral("route"), QStringLiteral("get"), server}});
    return calls;
}

QString report(const SkillInput& input)
{
    const QStringList dnsServers = servers(input);
    const QStringList tunnels = tunnelsUp(input);
    QStringList routes;
    QStringList leaks;
    QSet<QString> serversOfTunnelLinks;
    for (const ResolverConfig::LinkServers& link :
         ResolverConfig::parseResolvectlDns(input.output(QStringLiteral("dns")).out)) {
        if (tunnels.contains(link.link))
            serversOfTunnelLinks.unite(QSet<QString>(link.servers.cbegin(), link.servers.cend()));
    }
    const QStringList catchAll = catchAllLinks(input);
    const bool tunnelTakesAllNames = std::any_of(catchAll.cbegin(), catchAll.cend(),
                                                 [&](const QString& l) { return tunnels.contains(l); });
    for (const QString& server : dnsServers) {
        const QString device = IpLinks::routeDevice(input.output(routeKey(server)).out);
        routes.append(QStringLiteral("%1 through %2")
                          .arg(server, device.isEmpty() ? QStringLiteral("an unknown route") : device));
        const bool throughTunnel = tunnels.contains(device) || serversOfTunnelLinks.contains(server);
        if (!tunnels.isEmpty() && !throughTunnel && !tunnelTakesAllNames &&
            !QHostAddress(server).isLoopback())
            leaks.append(QStringLiteral("DNS server %1 is reached through %2, outside the VPN (%3)")
                             .arg(server, device.isEmpty() ? QStringLiteral("an unknown route") : device,
                                  tunnels.join(QStringLiteral(", "))));
    }
    const QString routesNote =
        routes.isEmpty() ? QStringLiteral("No DNS server is configured.")
                         : QStringLiteral("DNS servers: %1.").arg(routes.join(QStringLiteral("; ")));
    if (!leaks.isEmpty())
        return ThreatReport::finding(QStringLiteral("⚠️ DNS leak detected: name lookups bypass the VPN"),
                                     leaks, {routesNote});
    if (tunnels.isEmpty())
        return ThreatReport::clean(
            QStringLiteral("✅ DNS leak: none (no VPN is active, so there is nothing to bypass)"),
            {routesNote});
    return ThreatReport::clean(QStringLiteral("✅ DNS leak: none, lookups stay inside the VPN (%1)")
                                   .arg(tunnels.join(QStringLiteral(", "))),
                               {routesNote});
}

} // namespace DnsLeakCheck
