#include "skills/SkillGroups.h"
#include "skills/SkillText.h"
#include "skills/parsers/ProcessTable.h"
#include "skills/parsers/SocketTable.h"
#include "skills/parsers/TextFields.h"
#include "skills/threats/KnownPrograms.h"

#include <QHash>

// Screen sharing and file sharing on Linux are separate servers (VNC, RDP, Samba, NFS...); these skills
// report which ones run and who is connected. Halvex does not switch them on or off: each desktop
// has its own settings for that.
namespace {

struct Service
{
    QString program;
    QString description;
};

const QList<Service> screenServers{
    {QStringLiteral("gnome-remote-desktop-daemon"), QStringLiteral("GNOME Remote Desktop (RDP/VNC)")},
    {QStringLiteral("gnome-remote-de"), QStringLiteral("GNOME Remote Desktop (RDP/VNC)")},
    {QStringLiteral("krfb"), QStringLiteral("KDE Desktop Sharing (VNC)")},
    {QStringLiteral("krdpserver"), QStringLiteral("KDE Remote Desktop (RDP)")},
    {QStringLiteral("x11vnc"), QStringLiteral("x11vnc (VNC)")},
    {QStringLiteral("vino-server"), QStringLiteral("Vino (VNC)")},
    {QStringLiteral("wayvnc"), QStringLiteral("wayvnc (VNC)")},
    {QStringLiteral("Xvnc"), QStringLiteral("TigerVNC server")},
    {QStringLiteral("xrdp"), QStringLiteral("xrdp (RDP)")},
    {QStringLiteral("rustdesk"), QStringLiteral("RustDesk")},
    {QStringLiteral("teamviewerd"), QStringLiteral("TeamViewer")},
    {QStringLiteral("anydesk"), QStringLiteral("AnyDesk")},
    {QStringLiteral("nxserver"), QStringLiteral("NoMachine")},
    {QStringLiteral("sunshine"), QStringLiteral("Sunshine (game streaming)")},
};

const QList<Service> fileServers{
    {QStringLiteral("smbd"), QStringLiteral("Samba (Windows file sharing)")},
    {QStringLiteral("nfsd"), QStringLiteral("NFS server")},
    {QStringLiteral("rpc.mountd"), QStringLiteral("NFS server")},
    {QStringLiteral("sshd"), QStringLiteral("SSH server (remote login and file transfer)")},
    {QStringLiteral("vsftpd"), QStringLiteral("FTP server")},
    {QStringLiteral("proftpd"), QStringLiteral("FTP server")},
    {QStringLiteral("rygel"), QStringLiteral("Rygel (media sharing)")},
    {QStringLiteral("minidlnad"), QStringLiteral("MiniDLNA (media sharing)")},
    {QStringLiteral("gnome-user-share-webdav"), QStringLiteral("GNOME personal file sharing")},
    {QStringLiteral("cupsd"), QStringLiteral("CUPS (printer sharing when enabled)")},
    {QStringLiteral("avahi-daemon"),
     QStringLiteral("Avahi (announces this machine's services on the local network)")},
    {QStringLiteral("kdeconnectd"),
     QStringLiteral("KDE Connect (shares files and the clipboard with your phone)")},
    {QStringLiteral("syncthing"), QStringLiteral("Syncthing (file synchronisation)")},
};

const QStringList screenPorts{QStringLiteral("3389"), QStringLiteral("5900"), QStringLiteral("5901"),
                              QStringLiteral("5902"), QStringLiteral("5800")};

QStringList running(const SkillInput& input, const QList<Service>& services)
{
    QStringList found;
    for (const ProcessTable::Process& process : ProcessTable::read(input.paths.proc)) {
        for (const Service& service : services) {
            if (KnownPrograms::nameOf(process) == service.program || process.name == service.program)
                found.append(service.description);
        }
    }
    found.removeDuplicates();
    return found;
}

QString endpointOf(const SocketTable::Socket& socket)
{
    return socket.localAddress.contains(QLatin1Char(':'))
               ? QStringLiteral("[%1]:%2").arg(socket.localAddress, socket.localPort)
               : socket.localAddress + QLatin1Char(':') + socket.localPort;
}

QString screenSharingStatus(const SkillInput& input)
{
    const QStringList servers = running(input, screenServers);
    QStringList listeners;
    for (const SocketTable::Socket& socket : SocketTable::parse(input.output(QStringLiteral("ss")).out)) {
        if (socket.state == QLatin1String("LISTEN") && screenPorts.contains(socket.localPort))
            listeners.append(QStringLiteral("%1 (%2)%3")
                                 .arg(endpointOf(socket), socket.holderNames(),
                                      socket.isLoopbackOnly()
                                          ? QStringLiteral(", this machine only")
                                          : QStringLiteral(", reachable from the network")));
    }
    if (servers.isEmpty() && listeners.isEmpty())
        return QStringLiteral("🖥️ Screen sharing: off (no VNC or RDP server runs)");
    return SkillText::lines(
        {QStringLiteral("🔴 Screen sharing: ON"), SkillText::bullets(servers + listeners)});
}

QString screenSharingInfo(const SkillInput& input)
{
    QStringList viewers;
    for (const SocketTable::Socket& socket : SocketTable::parse(input.output(QStringLiteral("ss")).out)) {
        if (socket.state == QLatin1String("ESTAB") && screenPorts.contains(socket.localPort))
            viewers.append(
                QStringLiteral("%1 watches through port %2").arg(socket.peerAddress, socket.localPort));
    }
    const QString session = qEnvironmentVariable("XDG_SESSION_TYPE", QStringLiteral("unknown"));
    return SkillText::lines({screenSharingStatus(input),
                             viewers.isEmpty()
                                 ? QStringLiteral("Connected viewers: 0")
                                 : QStringLiteral("Connected viewers:\n") + SkillText::bullets(viewers),
                             QStringLiteral("Session type: %1").arg(session)});
}

QString switchAdvice(const SkillInput& input, bool enable)
{
    return SkillText::lines(
        {screenSharingStatus(input),
         enable ? QStringLiteral(
                      "Halvex does not switch screen sharing on: on Linux each desktop has its own server. "
                      "GNOME: Settings › System › Remote Desktop. KDE: System Settings › Remote Desktop.")
                : QStringLiteral(
                      "Halvex does not switch screen sharing off: stop the server listed above from your "
                      "desktop's settings (GNOME: Settings › System › Remote Desktop; KDE: System "
                      "Settings › Remote Desktop), or end the program.")});
}

QString sharingStatus(const SkillInput& input)
{
    QStringList services = running(input, fileServers);
    const QStringList exports =
        TextFields::meaningfulLines(TextFields::readFile(QStringLiteral("/etc/exports")));
    if (!exports.isEmpty())
        services.append(QStringLiteral("NFS exports in /etc/exports: %1").arg(exports.size()));
    const QString screen = screenSharingStatus(input);
    if (services.isEmpty())
        return SkillText::lines({QStringLiteral("🔗 Sharing: no file, media or login service runs"), screen});
    return SkillText::lines({QStringLiteral("🔗 Sharing services running:"), SkillText::bullets(services),
                             screen, SkillText::otherUsersNote()});
}

const ToolCall ssAll{QStringLiteral("ss"), {QStringLiteral("-H"), QStringLiteral("-tuanp")}};

} // namespace

QList<Skill> SkillGroups::sharing()
{
    return {
        {QStringLiteral("screen-sharing-status"), {{QStringLiteral("ss"), ssAll}}, &screenSharingStatus, {}},
        {QStringLiteral("screen-sharing-info"), {{QStringLiteral("ss"), ssAll}}, &screenSharingInfo, {}},
        {QStringLiteral("screen-sharing-enable"),
         {{QStringLiteral("ss"), ssAll}},
         [](const SkillInput& input) { return switchAdvice(input, true); },
         {}},
        {QStringLiteral("screen-sharing-disable"),
         {{QStringLiteral("ss"), ssAll}},
         [](const SkillInput& input) { return switchAdvice(input, false); },
         {}},
        {QStringLiteral("sharing-status"), {{QStringLiteral("ss"), ssAll}}, &sharingStatus, {}},
    };
}
