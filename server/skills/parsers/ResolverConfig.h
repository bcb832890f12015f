#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Which DNS servers the machine asks: systemd-resolved's per-link servers (`resolvectl dns`) and the
// nameserver lines of resolv.conf.
namespace ResolverConfig {

struct LinkServers
{
    QString link;        // interface name, or "Global"
    QStringList servers; // addresses, or domains for parseResolvectlDomains
};

QList<LinkServers> parseResolvectlDns(const QString& output);
// `resolvectl domain`: the search and routing domains of each link ("~." routes every name there).
QList<LinkServers> parseResolvectlDomains(const QString& output);
QStringList parseResolvConf(const QString& text);
// A stub resolver on this machine (127.0.0.53, ::1) forwards to the real servers.
bool isLocalStub(const QString& server);

} // namespace ResolverConfig
