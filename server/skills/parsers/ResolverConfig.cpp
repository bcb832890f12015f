#include "skills/parsers/ResolverConfig.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace ResolverConfig {

namespace {

QList<LinkServers> parseLinkLines(const QString& output)
{
    static const QRegularExpression linkPattern(QStringLiteral("^Link\\s+\\d+\\s+\\(([^)]+)\\):\\s*(.*)$"));
    static const QRegularExpression globalPattern(QStringLiteral("^Global:\\s*(.*)$"));
    QList<LinkServers> links;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString trimmed = line.trimmed();
        QString link;
        QString servers;
        if (const auto match = linkPattern.match(trimmed); match.hasMatch()) {
            link = match.captured(1);
            servers = match.captured(2);
        } else if (const auto global = globalPattern.match(trimmed); global.hasMatch()) {
            link = QStringLiteral("Global");
            servers = global.captured(1);
        } else {
            continue;
        }
        links.append({link, servers.split(QLatin1Char(' '), Qt::SkipEmptyParts)});
    }
    return links;
}

} // namespace

QList<LinkServers> parseResolvectlDns(const QString& output)
{
    QList<LinkServers> links = parseLinkLines(output);
    for (LinkServers& link : links) {
        QStringList addresses;
        for (QString server : std::as_const(link.servers)) {
            // "1.1.1.1#cloudflare-dns.com" and "fe80::1%2" name a server and its TLS name or scope.
            server = server.section(QLatin1Char('#'), 0, 0).section(QLatin1Char('%'), 0, 0);
            if (!QHostAddress(server).isNull())
                addresses.append(server);
        }
        link.servers = addresses;
    }
    return links;
}

QList<LinkServers> parseResolvectlDomains(const QString& output)
{
    return parseLinkLines(output);
}

QStringList parseResolvConf(const QString& text)
{
    QStringList servers;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QStringList words = line.simplified().split(QLatin1Char(' '));
        if (words.size() >= 2 && words[0] == QLatin1String("nameserver") && !QHostAddress(words[1]).isNull())
            servers.append(words[1]);
    }
    return servers;
}

bool isLocalStub(const QString& server)
{
    const QHostAddress address(server);
    return address.isLoopback();
}

} // namespace ResolverConfig
