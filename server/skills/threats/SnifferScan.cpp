#include "skills/threats/SnifferScan.h"

#include "skills/SkillText.h"
#include "skills/parsers/IpLinks.h"
#include "skills/parsers/PacketSockets.h"
#include "skills/parsers/TextFields.h"
#include "skills/threats/KnownPrograms.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace SnifferScan {
namespace {

// Network configuration daemons receive raw frames for DHCP, router discovery and the like.
const QStringList networkDaemons{
    QStringLiteral("dhclient"),       QStringLiteral("dhcpcd"),
    QStringLiteral("NetworkManager"), QStringLiteral("systemd-networkd"),
    QStringLiteral("wpa_supplicant"), QStringLiteral("hostapd"),
    QStringLiteral("lldpd"),          QStringLiteral("udhcpc"),
    QStringLiteral("dnsmasq"),        QStringLiteral("keepalived"),
    QStringLiteral("ModemManager"),   QStringLiteral("iwd"),
    QStringLiteral("connmand"),       QStringLiteral("dhcpd"),
    QStringLiteral("kea-dhcp4"),
};

const QStringList captureTools{
    QStringLiteral("tcpdump"),   QStringLiteral("dumpcap"),  QStringLiteral("wireshark"),
    QStringLiteral("tshark"),    QStringLiteral("ettercap"), QStringLiteral("bettercap"),
    QStringLiteral("ngrep"),     QStringLiteral("snort"),    QStringLiteral("suricata"),
    QStringLiteral("zeek"),      QStringLiteral("p0f"),      QStringLiteral("arpspoof"),
    QStringLiteral("dsniff"),    QStringLiteral("kismet"),   QStringLiteral("airodump-ng"),
    QStringLiteral("termshark"),
};

// Interfaces enslaved to a bridge or a bond are promiscuous by design.
QSet<QString> enslavedInterfaces(const QString& linksJson)
{
    QSet<QString> enslaved;
    for (const QJsonValue& value : QJsonDocument::fromJson(linksJson.toUtf8()).array()) {
        const QJsonObject link = value.toObject();
        if (link.contains(QStringLiteral("master")))
            enslaved.insert(link.value(QStringLiteral("ifname")).toString());
    }
    return enslaved;
}

} // namespace

QString report(const SkillInput& input)
{
    const QString linksJson = input.output(QStringLiteral("links")).out;
    const QList<IpLinks::Link> links = IpLinks::parse(linksJson);
    const QSet<QString> enslaved = enslavedInterfaces(linksJson);
    QHash<int, QString> interfaceNames;
    QStringList findings;
    for (const IpLinks::Link& link : links) {
        interfaceNames.insert(link.index, link.name);
        if (link.isPromiscuous() && !enslaved.contains(link.name))
            findings.append(
                QStringLiteral("%1 is in promiscuous mode: it receives traffic meant for other machines")
                    .arg(link.name));
    }

    const QList<PacketSockets::Socket> sockets =
        PacketSockets::parse(TextFields::readFile(input.paths.proc + QStringLiteral("/net/packet")));
    QHash<QString, const PacketSockets::Socket*> socketsByLink;
    for (const PacketSockets::Socket& socket : sockets)
        socketsByLink.insert(QStringLiteral("socket:[%1]").arg(socket.inode), &socket);
    const QList<ProcessTable::Holder> holders =
        ProcessTable::holders(input.paths.proc, ProcessTable::read(input.paths.proc),
                              [&](const QString& target) { return socketsByLink.contains(target); });

    QStringList daemons;
    for (const ProcessTable::Holder& holder : holders) {
        const PacketSockets::Socket& socket = *socketsByLink.value(holder.target);
        const QString where =
            socket.interfaceIndex == 0
                ? QStringLiteral("every interface")
                : interfaceNames.value(socket.interfaceIndex, QStringLiteral("an interface"));
        const QString name = KnownPrograms::nameOf(holder.process);
        if (captureTools.contains(name) || captureTools.contains(holder.process.name))
            findings.append(QStringLiteral("%1 captures packets on %2")
                                .arg(KnownPrograms::describe(holder.process), where));
        else if (KnownPrograms::isKnown(holder.process, networkDaemons))
            daemons.append(name);
        else if (socket.capturesAllProtocols())
            findings.append(QStringLiteral("%1 receives every packet on %2 (suspicious)")
                                .arg(KnownPrograms::describe(holder.process), where));
        else
            daemons.append(name);
    }
    daemons.removeDuplicates();
    const QString socketsNote = QStringLiteral("%1 on this machine%2.")
                                    .arg(SkillText::count(sockets.size(), QStringLiteral("packet socket"),
                                                          QStringLiteral("packet sockets")),
                                         daemons.isEmpty() ? QString()
                                                           : QStringLiteral(", held by network daemons: ") +
                                                                 daemons.join(QStringLiteral(", ")));
    if (!findings.isEmpty())
        return ThreatReport::finding(
            QStringLiteral("⚠️ Network sniffer detected: something can see other programs' traffic"),
            findings, {socketsNote, SkillText::otherUsersNote()});
    return ThreatReport::clean(
        QStringLiteral("✅ Network sniffers: none found"),
        {QStringLiteral("No interface is in promiscuous mode."), socketsNote, SkillText::otherUsersNote()});
}

} // namespace SnifferScan
