#include "skills/parsers/AptUpgrades.h"
#include "skills/parsers/AudioCapture.h"
#include "skills/parsers/BrowserExtensions.h"
#include "skills/parsers/DesktopEntry.h"
#include "skills/parsers/DiskFree.h"
#include "skills/parsers/FirewallRules.h"
#include "skills/parsers/InputDevices.h"
#include "skills/parsers/IpLinks.h"
#include "skills/parsers/KernelTaint.h"
#include "skills/parsers/LoginRecords.h"
#include "skills/parsers/PacketSockets.h"
#include "skills/parsers/ProcessTable.h"
#include "skills/parsers/ResolverConfig.h"
#include "skills/parsers/SocketTable.h"
#include "skills/parsers/TextFields.h"
#include "skills/parsers/UnitFiles.h"

#include <QFile>
#include <QTest>

namespace {

QString fixture(const QString& name)
{
    QFile file(QStringLiteral(HALVEX_FIXTURES_DIR "/skills/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return QString::fromUtf8(file.readAll());
}

} // namespace

// The readers of tool output and kernel tables, on output captured from real machines.
class SkillParsersTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sockets()
    {
        const QList<SocketTable::Socket> sockets =
            SocketTable::parse(fixture(QStringLiteral("ss-tuanp.txt")));
        QCOMPARE(sockets.size(), 11);
        QCOMPARE(sockets[1].localAddress, QStringLiteral("192.168.1.23"));
        QCOMPARE(sockets[1].localPort, QStringLiteral("68"));
        QVERIFY(sockets[2].isListening());
        QVERIFY(sockets[2].isLoopbackOnly());
        QVERIFY(!sockets[3].isLoopbackOnly());
        QCOMPARE(sockets[4].localAddress, QStringLiteral("::"));
        QVERIFY(sockets[5].isLoopbackOnly()); // 127.0.0.53%lo
        QCOMPARE(sockets[6].holders.size(), 2);
        QCOMPARE(sockets[6].holderNames(), QStringLiteral("sshd"));
        QCOMPARE(sockets[7].holderNames(), QStringLiteral("Web Content"));
        QCOMPARE(sockets[8].peerAddress, QStringLiteral("2a00:1450:4007:80e::200e"));
        QCOMPARE(sockets[8].peerPort, QStringLiteral("443"));
        QCOMPARE(sockets[9].state, QStringLiteral("TIME-WAIT"));
        QCOMPARE(sockets[9].holderNames(), QStringLiteral("unknown process"));
        QVERIFY(sockets[0].isListening()); // UDP sockets wait unconnected
    }

    void logins()
    {
        const QList<LoginRecords::Login> logins =
            LoginRecords::parse(fixture(QStringLiteral("last-iso.txt")));
        QCOMPARE(logins.size(), 4);
        QVERIFY(logins[0].isRemote());
        QCOMPARE(logins[0].host, QStringLiteral("203.0.113.44"));
        QCOMPARE(logins[1].status, QStringLiteral("still logged in"));
        QVERIFY(!logins[1].isRemote());
        QVERIFY(logins[2].isBoot());
        QCOMPARE(logins[2].terminal, QStringLiteral("system boot"));
        QVERIFY(logins[3].isRemote());
        QCOMPARE(logins[3].status, QStringLiteral("- crash (10:57)"));
    }

    void diskFree()
    {
        const QList<DiskFree::FileSystem> systems = DiskFree::parse(fixture(QStringLiteral("df.txt")));
        QCOMPARE(systems.size(), 2);
        QCOMPARE(systems[0].mountPoint, QStringLiteral("/"));
        QCOMPARE(systems[0].type, QStringLiteral("ext4"));
        QCOMPARE(systems[1].mountPoint, QStringLiteral("/home/my files"));
        QCOMPARE(systems[1].usedPercent(), 99);
        QCOMPARE(systems[1].size, Q_INT64_C(502468108288));
    }

    void packetSockets()
    {
        const QList<PacketSockets::Socket> sockets =
            PacketSockets::parse(fixture(QStringLiteral("proc-net-packet.txt")));
        QCOMPARE(sockets.size(), 3);
        QVERIFY(!sockets[0].capturesAllProtocols());
        QVERIFY(sockets[1].capturesAllProtocols());
        QCOMPARE(sockets[1].interfaceIndex, 0);
        QCOMPARE(sockets[1].uid, 1000u);
        QCOMPARE(sockets[1].inode, Q_INT64_C(998877));
        QCOMPARE(sockets[2].protocol, quint16(0x88cc));
    }

    void resolver()
    {
        const QList<ResolverConfig::LinkServers> dns =
            ResolverConfig::parseResolvectlDns(fixture(QStringLiteral("resolvectl-dns.txt")));
        QCOMPARE(dns.size(), 4);
        QCOMPARE(dns[1].link, QStringLiteral("enp3s0"));
        QCOMPARE(dns[1].servers, (QStringList{QStringLiteral("192.168.1.1"), QStringLiteral("fe80::1")}));
        QVERIFY(dns[2].servers.isEmpty());
        QCOMPARE(dns[3].servers, (QStringList{QStringLiteral("10.64.0.1"), QStringLiteral("1.1.1.1")}));
        const QList<ResolverConfig::LinkServers> domains =
            ResolverConfig::parseResolvectlDomains(fixture(QStringLiteral("resolvectl-domain.txt")));
        QCOMPARE(domains[3].servers, QStringList{QStringLiteral("~.")});
        QCOMPARE(ResolverConfig::parseResolvConf(
                     QStringLiteral("# generated\nnameserver 127.0.0.53\noptions edns0\nnameserver  9.9.9.9 "
                                    "\nnameserver bogus\n")),
                 (QStringList{QStringLiteral("127.0.0.53"), QStringLiteral("9.9.9.9")}));
        QVERIFY(ResolverConfig::isLocalStub(QStringLiteral("127.0.0.53")));
        QVERIFY(!ResolverConfig::isLocalStub(QStringLiteral("192.168.1.1")));
    }

    void unitFiles()
    {
        QCOMPARE(UnitFiles::enabledUnits(fixture(QStringLiteral("systemctl-unit-files.txt"))),
                 (QStringList{QStringLiteral("cron.service"), QStringLiteral("getty@.service"),
                              QStringLiteral("ssh.service"), QStringLiteral("systemd-networkd.socket"),
                              QStringLiteral("apt-daily.timer")}));
    }

    void inputDevices()
    {
        const QList<InputDevices::Device> devices =
            InputDevices::parse(fixture(QStringLiteral("proc-bus-input-devices.txt")));
        QCOMPARE(devices.size(), 3);
        QVERIFY(!devices[0].isKeyboard); // a power button has keys but no key repeat
        QCOMPARE(devices[1].name, QStringLiteral("AT Translated Set 2 keyboard"));
        QVERIFY(devices[1].isKeyboard);
        QCOMPARE(devices[1].eventNodes, QStringList{QStringLiteral("event3")});
        QVERIFY(!devices[2].isKeyboard);
    }

    void firewallRules()
    {
        const FirewallSummary nft =
            FirewallSummary::fromNftRuleset(fixture(QStringLiteral("nft-ruleset.txt")));
        QCOMPARE(nft.tables, 1);
        QCOMPARE(nft.chains, 3);
        QCOMPARE(nft.rules, 4);
        QVERIFY(nft.inputDropsByDefault);
        const FirewallSummary iptables =
            FirewallSummary::fromIptables(fixture(QStringLiteral("iptables-S.txt")));
        QCOMPARE(iptables.rules, 3);
        QCOMPARE(iptables.chains, 4);
        QVERIFY(iptables.inputDropsByDefault);
        QVERIFY(!FirewallSummary::fromIptables(QStringLiteral("-P INPUT ACCEPT\n-P OUTPUT ACCEPT\n"))
                     .inputDropsByDefault);
        QCOMPARE(FirewallSummary::fromNftRuleset(QString()).rules, 0);
    }

    void audioCapture()
    {
        const QList<AudioCapture::Stream> streams =
            AudioCapture::parsePactlSourceOutputs(fixture(QStringLiteral("pactl-source-outputs.txt")));
        QCOMPARE(streams.size(), 2);
        QCOMPARE(streams[0].application, QStringLiteral("Firefox"));
        QCOMPARE(streams[0].pid, Q_INT64_C(3011));
        QCOMPARE(streams[1].application, QStringLiteral("OBS Studio"));
        const AudioCapture::CaptureState running = AudioCapture::parseAlsaStatus(
            QStringLiteral("state: RUNNING\nowner_pid   : 1532\ntrigger_time: 1234.5\n"));
        QVERIFY(running.running);
        QCOMPARE(running.ownerPid, Q_INT64_C(1532));
        QVERIFY(!AudioCapture::parseAlsaStatus(QStringLiteral("closed\n")).running);
    }

    void links()
    {
        const QList<IpLinks::Link> links = IpLinks::parse(fixture(QStringLiteral("ip-link-vpn.json")));
        QCOMPARE(links.size(), 5);
        QVERIFY(links[0].isLoopback());
        QVERIFY(links[1].isPromiscuous());
        QVERIFY(!links[1].isVpnTunnel());
        QCOMPARE(links[2].kind, QStringLiteral("bridge"));
        QVERIFY(links[4].isVpnTunnel());
        QVERIFY(links[4].isUp());
        QVERIFY(!IpLinks::parse(fixture(QStringLiteral("ip-link.json"))).isEmpty());
        QCOMPARE(
            IpLinks::routeDevice(QStringLiteral(
                R"([{"dst":"1.1.1.1","gateway":"192.0.2.1","dev":"eth0","prefsrc":"192.0.2.2","flags":[],"uid":0,"cache":[]}])")),
            QStringLiteral("eth0"));
        QCOMPARE(IpLinks::routeDevice(QString()), QString());
    }

    void aptUpgrades()
    {
        const QList<AptUpgrades::Upgrade> upgrades =
            AptUpgrades::parse(fixture(QStringLiteral("apt-upgradable.txt")));
        QVERIFY(upgrades.size() >= 4);
        QCOMPARE(upgrades[1].package, QStringLiteral("apt-transport-https"));
        QVERIFY(upgrades[1].isSecurity());
        QVERIFY(!upgrades[0].isSecurity());
        QCOMPARE(upgrades[1].installedVersion, QStringLiteral("2.6.1"));
    }

    void firefoxExtensions()
    {
        const QList<BrowserExtensions::Extension> extensions =
            BrowserExtensions::parseFirefox(fixture(QStringLiteral("firefox-extensions.json")).toUtf8());
        QCOMPARE(extensions.size(), 2);
        QCOMPARE(extensions[0].name, QStringLiteral("uBlock Origin"));
        QVERIFY(!extensions[1].enabled);
    }

    void chromiumNames()
    {
        const QByteArray manifest = R"({"name":"__MSG_appName__","default_locale":"en","version":"1.0"})";
        const QByteArray messages = R"({"APPNAME":{"message":"Dark Reader"}})";
        QCOMPARE(BrowserExtensions::chromiumDefaultLocale(manifest), QStringLiteral("en"));
        QCOMPARE(BrowserExtensions::chromiumName(manifest, messages), QStringLiteral("Dark Reader"));
        QCOMPARE(BrowserExtensions::chromiumName(R"({"name":"Plain"})", {}), QStringLiteral("Plain"));
    }

    void kernelTaint()
    {
        QVERIFY(KernelTaint::reasons(0).isEmpty());
        const QStringList reasons = KernelTaint::reasons(4097); // P and O
        QCOMPARE(reasons.size(), 2);
        QVERIFY(reasons[0].contains(QLatin1String("proprietary")));
        QVERIFY(!KernelTaint::hasModuleWarnings(4097 | 8192));
        QVERIFY(KernelTaint::hasModuleWarnings(2));
    }

    void desktopEntry()
    {
        const DesktopEntry entry = DesktopEntry::parse(
            QStringLiteral("[Desktop Entry]\nType=Application\nName=Files\nName[fr]=Fichiers\n"
                           "Exec=nautilus %U\nNoDisplay=false\nX-GNOME-Autostart-enabled=false\n"
                           "[Desktop Action new]\nName=New Window\nHidden=true\n"));
        QCOMPARE(entry.name, QStringLiteral("Files"));
        QCOMPARE(entry.exec, QStringLiteral("nautilus %U"));
        QVERIFY(!entry.hidden);
        QVERIFY(!entry.autostartEnabled);
    }

    void terseFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("plain") << QStringLiteral("*:HomeNet:72")
                               << QStringList{QStringLiteral("*"), QStringLiteral("HomeNet"),
                                              QStringLiteral("72")};
        QTest::newRow("escaped colon")
            << QStringLiteral(R"( :Office\:5G:31)")
            << QStringList{QStringLiteral(" "), QStringLiteral("Office:5G"), QStringLiteral("31")};
        QTest::newRow("escaped backslash")
            << QStringLiteral(R"(a\\:b)") << QStringList{QStringLiteral("a\\"), QStringLiteral("b")};
        QTest::newRow("empty fields") << QStringLiteral("::") << QStringList{QString(), QString(), QString()};
    }

    void terseFields()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QCOMPARE(TextFields::splitTerse(line), fields);
    }

    void processStat()
    {
        const auto process = ProcessTable::parseStat(
            QStringLiteral("3120 (Web Content) S 3011 2987 2987 0 -1 4194560 2241547 0 12 0 52311 8722 0 0 "
                           "20 0 27 0 1654321 3180544000 120000 "
                           "18446744073709551615 1 1 0 0 0 0 0 16781312 17663 0 0 0 17 3 0 0 0 0 0"));
        QVERIFY(process);
        QCOMPARE(process->pid, Q_INT64_C(3120));
        QCOMPARE(process->name, QStringLiteral("Web Content"));
        QCOMPARE(process->ppid, Q_INT64_C(3011));
        QCOMPARE(process->cpuTicks, Q_INT64_C(52311 + 8722));
        QCOMPARE(process->startTicks, Q_INT64_C(1654321));
        QVERIFY(process->residentKb > 0);
        QVERIFY(!ProcessTable::parseStat(QStringLiteral("garbage")));
        // Damaged counters are clamped, never multiplied past the type's range or read as negative.
        const auto damaged = ProcessTable::parseStat(
            QStringLiteral("4242 (zoom) S 1 4242 4242 0 -1 4194560 0 0 0 0 9223372036854775807 -5 0 0 "
                           "20 0 4 0 12345 2345678 9223372036854775807 1 1 0 0 0"));
        QVERIFY(damaged);
        QVERIFY(damaged->residentKb > 0);
        QVERIFY(damaged->cpuTicks > 0);
        QVERIFY(damaged->residentKb * 1024 > 0);
        QCOMPARE(ProcessTable::cpuPercent(*process, 1654321 / 100.0 + 610.33, 100), 100.0 * 610.33 / 610.33);
    }
};

QTEST_GUILESS_MAIN(SkillParsersTest)
#include "tst_skillparsers.moc"
