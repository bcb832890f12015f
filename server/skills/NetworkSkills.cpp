#include "skills/SkillGroups.h"
#include "skills/SkillText.h"
#include "skills/parsers/FirewallRules.h"
#include "skills/parsers/IpLinks.h"
#include "skills/parsers/ResolverConfig.h"
#include "skills/parsers/SocketTable.h"
#include "skills/parsers/TextFields.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace {

ToolCall tool(const QString& name, const QStringList& arguments)
{
    return {name, arguments};
}

const ToolCall ssAll = tool(QStringLiteral("ss"), {QStringLiteral("-H"), QStringLiteral("-tuanp")});
const ToolCall ipLinks = tool(QStringLiteral("ip"), {QStringLiteral("-j"), QStringLiteral("-d"),
                                                     QStringLiteral("link"), QStringLiteral("show")});

QList<SocketTable::Socket> sockets(const SkillInput& input)
{
    return SocketTable::parse(input.output(QStringLiteral("ss")).out);
}

QString endpoint(const QString& address, const QString& port)
{
    return address.contains(QLatin1Char(':')) ? QStringLiteral("[%1]:%2").arg(address, port)
                                              : address + QLatin1Char(':') + port;
}

QString firewallStatus(const SkillInput& input)
{
    QStringList active;
    QStringList details;
    const ToolOutput nft = input.output(QStringLiteral("nft"));
    if (nft.succeeded()) {
        const FirewallSummary rules = FirewallSummary::fromNftRuleset(nft.out);
        if (rules.rules > 0 || rules.inputDropsByDefault) {
            active.append(QStringLiteral("nftables"));
            details.append(QStringLiteral("nftables: %1 tables, %2 chains, %3 rules%4")
                               .arg(rules.tables)
                               .arg(rules.chains)
                               .arg(rules.rules)
                               .arg(rules.inputDropsByDefault
                                        ? QStringLiteral("; unsolicited incoming traffic is dropped")
                                        : QString()));
        } else {
            details.append(QStringLiteral("nftables: no rules loaded"));
        }
    } else if (nft.available) {
        details.append(QStringLiteral("nftables: listing the rules needs administrator rights"));
    }
    const ToolOutput iptables = input.output(QStringLiteral("iptables"));
    if (iptables.succeeded()) {
        const FirewallSummary rules = FirewallSummary::fromIptables(iptables.out);
        if (rules.rules > 0 || rules.inputDropsByDefault) {
            active.append(QStringLiteral("iptables"));
            details.append(
                QStringLiteral("iptables: %1 rules%2")
                    .arg(rules.rules)
                    .arg(rules.inputDropsByDefault ? QStringLiteral(", incoming policy DROP") : QString()));
        }
    }
    const ToolOutput ufw = input.output(QStringLiteral("ufw"));
    const bool ufwEnabledAtBoot =
        TextFields::assignments(TextFields::readFile(QStringLiteral("/etc/ufw/ufw.conf")))
            .value(QStringLiteral("ENABLED")) == QLatin1String("yes");
    if (ufw.succeeded() && ufw.out.contains(QLatin1String("Status: active"))) {
        active.append(QStringLiteral("ufw"));
        details.append(QStringLiteral("ufw: active"));
    } else if (ufwEnabledAtBoot) {
        active.append(QStringLiteral("ufw"));
        details.append(QStringLiteral("ufw: enabled (/etc/ufw/ufw.conf)"));
    }
    const ToolOutput firewalld = input.output(QStringLiteral("firewalld"));
    if (firewalld.succeeded() && firewalld.out.trimmed() == QLatin1String("running")) {
        active.append(QStringLiteral("firewalld"));
        details.append(QStringLiteral("firewalld: running"));
    }
    active.removeDuplicates();
    const QString headline =
        active.isEmpty() ? QStringLiteral("⚠️ Firewall: not active, nothing filters incoming connections")
                         : QStringLiteral("🔥 Firewall: active (%1)").arg(active.join(QStringLiteral(", ")));
    return SkillText::lines(QStringList{headline} + details);
}

QString vpnChecker(const SkillInput& input)
{
    QStringList tunnels;
    for (const IpLinks::Link& link : IpLinks::parse(input.output(QStringLiteral("links")).out)) {
        if (link.isVpnTunnel() && link.isUp() && !link.isLoopback())
            tunnels.append(link.name + (link.kind.isEmpty()
                                            ? QString()
                                            : QStringLiteral(" (") + link.kind + QLatin1Char(')')));
    }
    const QString v4 = IpLinks::routeDevice(input.output(QStringLiteral("route4")).out);
    const QString v6 = IpLinks::routeDevice(input.output(QStringLiteral("route6")).out);
    QStringList vpnConnections;
    for (const QString& line :
         input.output(QStringLiteral("nmcli")).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = TextFields::splitTerse(line);
        if (fields.size() >= 2 &&
            (fields[1] == QLatin1String("vpn") || fields[1] == QLatin1String("wireguard")))
            vpnConnections.append(fields[0]);
    }
    const auto isTunnel = [&](const QString& device) {
        return std::any_of(tunnels.cbegin(), tunnels.cend(),
                           [&](const QString& t) { return t.section(QLatin1Char(' '), 0, 0) == device; });
    };
    QString headline;
    if (tunnels.isEmpty())
        headline = QStringLiteral("🔓 VPN: none, internet traffic goes straight out through %1")
                       .arg(v4.isEmpty() ? QStringLiteral("no route (offline)") : v4);
    else if (isTunnel(v4))
        headline = QStringLiteral("🔐 VPN: active, internet traffic goes through %1").arg(v4);
    else
        headline = QStringLiteral("⚠️ VPN: %1 is up, but internet traffic goes through %2 (split tunnel)")
                       .arg(tunnels.join(QStringLiteral(", ")), v4);
    return SkillText::lines(
        {headline,
         tunnels.isEmpty() ? QString() : QStringLiteral("Tunnels: ") + tunnels.join(QStringLiteral(", ")),
         v6.isEmpty()
             ? QString()
             : QStringLiteral("IPv6 traffic goes through %1%2")
                   .arg(v6, !tunnels.isEmpty() && !isTunnel(v6) ? QStringLiteral(" ⚠️ outside the VPN")
                                                                : QString()),
         vpnConnections.isEmpty() ? QString()
                                  : QStringLiteral("NetworkManager VPN connections: ") +
                                        vpnConnections.join(QStringLiteral(", "))});
}

struct WifiNetwork
{
    bool inUse = false;
    QString ssid;
    int signal = 0;
    QString security;
    QString channel;

    bool isOpen() const { return security.isEmpty() || security == QLatin1String("--"); }
    bool isWeak() const
    {
        return security.contains(QLatin1String("WEP")) ||
               (security.contains(QLatin1String("WPA1")) && !security.contains(QLatin1String("WPA2")));
    }
};

// nmcli -t -f IN-USE,SSID,SIGNAL,SECURITY,CHAN device wifi list
QList<WifiNetwork> wifiNetworks(const SkillInput& input)
{
    QList<WifiNetwork> networks;
    for (const QString& line :
         input.output(QStringLiteral("wifi")).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = TextFields::splitTerse(line);
        if (f.size() < 5)
            continue;
        networks.append({f[0] == QLatin1String("*"), f[1].isEmpty() ? QStringLiteral("(hidden)") : f[1],
                         f[2].toInt(), f[3], f[4]});
    }
    std::sort(networks.begin(), networks.end(),
              [](const auto& a, const auto& b) { return a.signal > b.signal; });
    return networks;
}

QString wifiUnavailable(const SkillInput& input)
{
    const ToolOutput wifi = input.output(QStringLiteral("wifi"));
    if (!wifi.available)
        return QStringLiteral(
            "📡 WiFi: nmcli (NetworkManager) is not installed, so networks cannot be listed");
    if (!wifi.succeeded())
        return QStringLiteral("📡 WiFi: NetworkManager did not answer (%1)").arg(wifi.err.trimmed());
    return {};
}

QString wifiScanner(const SkillInput& input)
{
    if (const QString unavailable = wifiUnavailable(input); !unavailable.isEmpty())
        return unavailable;
    const QList<WifiNetwork> networks = wifiNetworks(input);
    if (networks.isEmpty())
        return QStringLiteral("📡 WiFi: no network in range (or no wireless adapter)");
    QStringList lines;
    for (const WifiNetwork& network : networks)
        lines.append(
            QStringLiteral("%1%2: %3%, %4, channel %5")
                .arg(network.inUse ? QStringLiteral("✓ ") : QString(), network.ssid)
                .arg(network.signal)
                .arg(network.isOpen() ? QStringLiteral("⚠️ open") : network.security, network.channel));
    return SkillText::lines(
        {QStringLiteral("📡 WiFi: %1 in range")
             .arg(SkillText::count(networks.size(), QStringLiteral("network"), QStringLiteral("networks"))),
         SkillText::bullets(lines, 20)});
}

QString wifiIntelligence(const SkillInput& input)
{
    if (const QString unavailable = wifiUnavailable(input); !unavailable.isEmpty())
        return unavailable;
    const QList<WifiNetwork> networks = wifiNetworks(input);
    const auto current =
        std::find_if(networks.cbegin(), networks.cend(), [](const WifiNetwork& n) { return n.inUse; });
    QStringList lines;
    if (current == networks.cend()) {
        lines.append(QStringLiteral("🧠 WiFi: not connected to a wireless network"));
    } else {
        QString verdict = QStringLiteral("strong encryption");
        if (current->isOpen())
            verdict = QStringLiteral("⚠️ no encryption: others nearby can read unencrypted traffic");
        else if (current->isWeak())
            verdict =
                QStringLiteral("⚠️ outdated encryption (%1) that can be broken").arg(current->security);
        else if (!current->security.contains(QLatin1String("WPA3")))
            verdict = QStringLiteral("good encryption (%1; WPA3 would be better)").arg(current->security);
        lines.append(QStringLiteral("🧠 Connected to %1: %2, signal %3%")
                         .arg(current->ssid, verdict)
                         .arg(current->signal));
        // The same name with different security nearby is how an "evil twin" access point looks.
        for (const WifiNetwork& other : networks) {
            if (!other.inUse && other.ssid == current->ssid && other.security != current->security)
                lines.append(
                    QStringLiteral(
                        "⚠️ Another access point calls itself %1 with %2 security: a possible impostor")
                        .arg(other.ssid, other.isOpen() ? QStringLiteral("no") : other.security));
        }
    }
    const qsizetype open =
        std::count_if(networks.cbegin(), networks.cend(), [](const WifiNetwork& n) { return n.isOpen(); });
    lines.append(
        QStringLiteral("Nearby: %1, %2 without encryption")
            .arg(SkillText::count(networks.size(), QStringLiteral("network"), QStringLiteral("networks")))
            .arg(open));
    return SkillText::lines(lines);
}

QString networkConnections(const SkillInput& input)
{
    QMap<QString, QStringList> byProgram;
    int total = 0;
    for (const SocketTable::Socket& socket : sockets(input)) {
        if (socket.state != QLatin1String("ESTAB") || QHostAddress(socket.peerAddress).isLoopback())
            continue;
        ++total;
        byProgram[socket.holderNames()].append(endpoint(socket.peerAddress, socket.peerPort));
    }
    if (total == 0)
        return QStringLiteral("🌐 Network: no connection to another machine is open");
    QStringList lines;
    for (auto it = byProgram.cbegin(); it != byProgram.cend(); ++it) {
        QStringList peers = it.value();
        peers.removeDuplicates();
        lines.append(QStringLiteral("%1: %2 (%3%4)")
                         .arg(it.key(),
                              SkillText::count(it.value().size(), QStringLiteral("connection"),
                                               QStringLiteral("connections")),
                              peers.mid(0, 4).join(QStringLiteral(", ")),
                              peers.size() > 4 ? QStringLiteral(", …") : QString()));
    }
    return SkillText::lines({QStringLiteral("🌐 Network: %1 to other machines")
                                 .arg(SkillText::count(total, QStringLiteral("open connection"),
                                                       QStringLiteral("open connections"))),
                             SkillText::bullets(lines, 20), SkillText::otherUsersNote()});
}

QString openPorts(const SkillInput& input)
{
    QStringList exposed;
    QStringList local;
    for (const SocketTable::Socket& socket : sockets(input)) {
        if (!socket.isListening())
            continue;
        const QString line =
            QStringLiteral("%1 %2 %3")
                .arg(socket.protocol, endpoint(socket.localAddress, socket.localPort), socket.holderNames());
        (socket.isLoopbackOnly() ? local : exposed).append(line);
    }
    exposed.removeDuplicates();
    local.removeDuplicates();
    return SkillText::lines(
        {QStringLiteral("🔌 Open ports: %1 reachable from the network, %2 on this machine only")
             .arg(exposed.size())
             .arg(local.size()),
         exposed.isEmpty()
             ? QString()
             : QStringLiteral("Reachable from the network:\n") + SkillText::bullets(exposed, 25),
         local.isEmpty() ? QString() : QStringLiteral("This machine only:\n") + SkillText::bullets(local, 25),
         SkillText::otherUsersNote()});
}

QString sshConnections(const SkillInput& input)
{
    QStringList listening;
    QStringList inbound;
    QStringList outbound;
    QStringList serverPorts;
    const QList<SocketTable::Socket> all = sockets(input);
    for (const SocketTable::Socket& socket : all) {
        const bool sshd = socket.holderNames().contains(QLatin1String("sshd")) ||
                          (socket.localPort == QLatin1String("22") && socket.holders.isEmpty());
        if (socket.state == QLatin1String("LISTEN") && sshd) {
            listening.append(endpoint(socket.localAddress, socket.localPort) +
                             (socket.isLoopbackOnly() ? QStringLiteral(" (this machine only)") : QString()));
            serverPorts.append(socket.localPort);
        }
    }
    for (const SocketTable::Socket& socket : all) {
        if (socket.state != QLatin1String("ESTAB"))
            continue;
        if (serverPorts.contains(socket.localPort))
            inbound.append(QStringLiteral("from %1").arg(endpoint(socket.peerAddress, socket.peerPort)));
        else if (socket.holderNames() == QLatin1String("ssh") || socket.peerPort == QLatin1String("22"))
            outbound.append(QStringLiteral("to %1 (%2)")
                                .arg(endpoint(socket.peerAddress, socket.peerPort), socket.holderNames()));
    }
    listening.removeDuplicates();
    return SkillText::lines(
        {listening.isEmpty()
             ? QStringLiteral("🔑 SSH server: not running")
             : QStringLiteral("🔑 SSH server: listening on %1").arg(listening.join(QStringLiteral(", "))),
         inbound.isEmpty() ? QStringLiteral("Incoming SSH sessions: 0")
                           : QStringLiteral("Incoming SSH sessions:\n") + SkillText::bullets(inbound),
         outbound.isEmpty() ? QStringLiteral("Outgoing SSH sessions: 0")
                            : QStringLiteral("Outgoing SSH sessions:\n") + SkillText::bullets(outbound)});
}

QString dnsServers(const SkillInput& input)
{
    QStringList lines;
    for (const ResolverConfig::LinkServers& link :
         ResolverConfig::parseResolvectlDns(input.output(QStringLiteral("dns")).out)) {
        if (!link.servers.isEmpty())
            lines.append(QStringLiteral("%1: %2").arg(link.link, link.servers.join(QStringLiteral(", "))));
    }
    const QStringList resolvConf =
        ResolverConfig::parseResolvConf(TextFields::readFile(QStringLiteral("/etc/resolv.conf")));
    const bool stub = !resolvConf.isEmpty() &&
                      std::all_of(resolvConf.cbegin(), resolvConf.cend(), &ResolverConfig::isLocalStub);
    return SkillText::lines(
        {QStringLiteral("🌐 DNS servers"), lines.isEmpty() ? QString() : SkillText::bullets(lines),
         QStringLiteral("/etc/resolv.conf: %1%2")
             .arg(resolvConf.isEmpty() ? QStringLiteral("no nameserver")
                                       : resolvConf.join(QStringLiteral(", ")),
                  stub ? QStringLiteral(" (the local resolver, which forwards to the servers above)")
                       : QString())});
}

QString flushDns(const SkillInput& input)
{
    const ToolOutput flush = input.output(QStringLiteral("flush"));
    if (flush.succeeded())
        return QStringLiteral("🔄 DNS cache flushed (systemd-resolved)");
    if (!flush.available)
        return QStringLiteral("🔄 DNS: this machine keeps no local DNS cache (systemd-resolved is not "
                              "installed), so there is nothing to flush");
    return QStringLiteral("🔄 DNS cache not flushed: %1")
        .arg(flush.err.trimmed().isEmpty() ? QStringLiteral("systemd-resolved refused")
                                           : flush.err.trimmed());
}

QString hostsFile(const SkillInput&)
{
    const QStringList entries =
        TextFields::meaningfulLines(TextFields::readFile(QStringLiteral("/etc/hosts")));
    QStringList custom;
    for (const QString& entry : entries) {
        const QStringList words = entry.simplified().split(QLatin1Char(' '));
        const QHostAddress address(words.value(0));
        const bool standard = address.isLoopback() || words.contains(QStringLiteral("localhost")) ||
                              words.value(1).startsWith(QLatin1String("ip6-")) || address.isMulticast();
        if (!standard)
            custom.append(entry.simplified());
    }
    return SkillText::lines(
        {QStringLiteral("📄 /etc/hosts: %1, %2 beyond the standard local names")
             .arg(SkillText::count(entries.size(), QStringLiteral("entry"), QStringLiteral("entries")))
             .arg(custom.size()),
         SkillText::bullets(custom, 30)});
}

QString networkInterfaces(const SkillInput& input)
{
    QMap<QString, QStringList> addresses;
    for (const QJsonValue& value :
         QJsonDocument::fromJson(input.output(QStringLiteral("addresses")).out.toUtf8()).array()) {
        const QJsonObject link = value.toObject();
        for (const QJsonValue& info : link.value(QStringLiteral("addr_info")).toArray()) {
            const QJsonObject address = info.toObject();
            addresses[link.value(QStringLiteral("ifname")).toString()].append(
                QStringLiteral("%1/%2")
                    .arg(address.value(QStringLiteral("local")).toString())
                    .arg(address.value(QStringLiteral("prefixlen")).toInt()));
        }
    }
    QStringList lines;
    for (const IpLinks::Link& link : IpLinks::parse(input.output(QStringLiteral("links")).out)) {
        const QString kind = link.kind.isEmpty() ? link.linkType : link.kind;
        lines.append(
            QStringLiteral("%1 (%2, %3)%4%5%6")
                .arg(link.name, kind, link.isUp() ? QStringLiteral("up") : QStringLiteral("down"),
                     addresses.value(link.name).isEmpty()
                         ? QString()
                         : QStringLiteral(": ") + addresses.value(link.name).join(QStringLiteral(", ")),
                     link.address.isEmpty() || link.isLoopback() ? QString()
                                                                 : QStringLiteral(" MAC ") + link.address,
                     link.isPromiscuous() ? QStringLiteral(" ⚠️ promiscuous") : QString()));
    }
    if (lines.isEmpty())
        return QStringLiteral("🔌 Interfaces: ip gave no answer");
    return SkillText::lines({QStringLiteral("🔌 Network interfaces"), SkillText::bullets(lines, 30)});
}

QString routingTable(const SkillInput& input)
{
    const QString device = IpLinks::routeDevice(input.output(QStringLiteral("route-get")).out);
    const QJsonObject route = QJsonDocument::fromJson(input.output(QStringLiteral("route-get")).out.toUtf8())
                                  .array()
                                  .at(0)
                                  .toObject();
    const QString gateway = route.value(QStringLiteral("gateway")).toString();
    return SkillText::lines(
        {device.isEmpty()
             ? QStringLiteral("🗺️ No route to the internet")
             : QStringLiteral("🗺️ Internet traffic leaves through %1%2")
                   .arg(device, gateway.isEmpty() ? QString() : QStringLiteral(" via ") + gateway),
         QStringLiteral("IPv4 routes:"), input.output(QStringLiteral("routes4")).out.trimmed(),
         QStringLiteral("IPv6 routes:"), input.output(QStringLiteral("routes6")).out.trimmed()});
}

} // namespace

QList<Skill> SkillGroups::network()
{
    return {
        {QStringLiteral("firewall-status"),
         {{QStringLiteral("nft"),
           tool(QStringLiteral("nft"), {QStringLiteral("list"), QStringLiteral("ruleset")})},
          {QStringLiteral("iptables"), tool(QStringLiteral("iptables"), {QStringLiteral("-S")})},
          {QStringLiteral("ufw"), tool(QStringLiteral("ufw"), {QStringLiteral("status")})},
          {QStringLiteral("firewalld"), tool(QStringLiteral("firewall-cmd"), {QStringLiteral("--state")})}},
         &firewallStatus,
         {}},
        {QStringLiteral("vpn-checker"),
         {{QStringLiteral("links"), ipLinks},
          {QStringLiteral("route4"),
           tool(QStringLiteral("ip"), {QStringLiteral("-j"), QStringLiteral("route"), QStringLiteral("get"),
                                       QStringLiteral("1.1.1.1")})},
          {QStringLiteral("route6"),
           tool(QStringLiteral("ip"), {QStringLiteral("-j"), QStringLiteral("-6"), QStringLiteral("route"),
                                       QStringLiteral("get"), QStringLiteral("2606:4700:4700::1111")})},
          {QStringLiteral("nmcli"),
           tool(QStringLiteral("nmcli"),
                {QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("NAME,TYPE"),
                 QStringLiteral("connection"), QStringLiteral("show"), QStringLiteral("--active")})}},
         &vpnChecker,
         {}},
        {QStringLiteral("wifi-scanner"),
         {{QStringLiteral("wifi"),
           tool(QStringLiteral("nmcli"),
                {QStringLiteral("-t"), QStringLiteral("-f"),
                 QStringLiteral("IN-USE,SSID,SIGNAL,SECURITY,CHAN"), QStringLiteral("device"),
                 QStringLiteral("wifi"), QStringLiteral("list")})}},
         &wifiScanner,
         {}},
        {QStringLiteral("wifi-intelligence"),
         {{QStringLiteral("wifi"),
           tool(QStringLiteral("nmcli"),
                {QStringLiteral("-t"), QStringLiteral("-f"),
                 QStringLiteral("IN-USE,SSID,SIGNAL,SECURITY,CHAN"), QStringLiteral("device"),
                 QStringLiteral("wifi"), QStringLiteral("list")})}},
         &wifiIntelligence,
         {}},
        {QStringLiteral("network-connections"), {{QStringLiteral("ss"), ssAll}}, &networkConnections, {}},
        {QStringLiteral("open-ports"), {{QStringLiteral("ss"), ssAll}}, &openPorts, {}},
        {QStringLiteral("ssh-connections"), {{QStringLiteral("ss"), ssAll}}, &sshConnections, {}},
        {QStringLiteral("dns-servers"),
         {{QStringLiteral("dns"), tool(QStringLiteral("resolvectl"), {QStringLiteral("dns")})}},
         &dnsServers,
         {}},
        {QStringLiteral("flush-dns"),
         {{QStringLiteral("flush"), tool(QStringLiteral("resolvectl"), {QStringLiteral("flush-caches")})}},
         &flushDns,
         {}},
        {QStringLiteral("hosts-file"), {}, &hostsFile, {}},
        {QStringLiteral("network-interfaces"),
         {{QStringLiteral("links"), ipLinks},
          {QStringLiteral("addresses"),
           tool(QStringLiteral("ip"),
                {QStringLiteral("-j"), QStringLiteral("address"), QStringLiteral("show")})}},
         &networkInterfaces,
         {}},
        {QStringLiteral("routing-table"),
         {{QStringLiteral("routes4"),
           tool(QStringLiteral("ip"),
                {QStringLiteral("-4"), QStringLiteral("route"), QStringLiteral("show")})},
          {QStringLiteral("routes6"),
           tool(QStringLiteral("ip"),
                {QStringLiteral("-6"), QStringLiteral("route"), QStringLiteral("show")})},
          {QStringLiteral("route-get"),
           tool(QStringLiteral("ip"), {QStringLiteral("-j"), QStringLiteral("route"), QStringLiteral("get"),
                                       QStringLiteral("1.1.1.1")})}},
         &routingTable,
         {}},
    };
}
