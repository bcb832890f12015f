#include "skills/SkillRegistry.h"
#include "skills/SkillRunner.h"
#include "skills/SkillText.h"
#include "skills/threats/RootkitScan.h"
#include "support/FakeProc.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTest>

namespace {

QString fixture(const QString& name)
{
    QFile file(QStringLiteral(HALVEX_FIXTURES_DIR "/skills/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString runSkill(const QString& id)
{
    const Skill* skill = SkillRegistry::find(id);
    if (!skill)
        return QStringLiteral("no skill %1").arg(id);
    SkillRunner runner({});
    std::optional<QString> answer;
    runner.run(*skill, [&](const SkillRunner::Answer& result) { answer = result.text; });
    if (!QTest::qWaitFor([&] { return answer.has_value(); }, 15000))
        return QStringLiteral("no answer");
    return *answer;
}

// A fake `ip` that prints the given link list and routes every destination through `routeDevice`,
// or through wg0 for addresses listed in `tunnelDestinations`.
QString fakeIpScript(const QString& linksFile, const QString& routeDevice,
                     const QStringList& tunnelDestinations)
{
    QString script =
        QStringLiteral("if [ \"$3\" = link ]; then cat '%1'; exit 0; fi\ndest=$4\n").arg(linksFile);
    for (const QString& destination : tunnelDestinations)
        script +=
            QStringLiteral("[ \"$dest\" = '%1' ] && { echo '[{\"dst\":\"%1\",\"dev\":\"wg0\"}]'; exit 0; }\n")
                .arg(destination);
    return script +
           QStringLiteral("echo \"[{\\\"dst\\\":\\\"$dest\\\",\\\"dev\\\":\\\"%1\\\"}]\"\n").arg(routeDevice);
}

} // namespace

// The threat scans against fake /proc trees and fake tools: each finding reads as a threat to the
// desktop's verdict test, each clean result as clean.
class ThreatScansTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keyloggerDetector()
    {
        FakeProc proc;
        proc.writeFile(QStringLiteral("bus/input/devices"),
                       fixture(QStringLiteral("proc-bus-input-devices.txt")).toUtf8());
        proc.addProcess(100, QStringLiteral("Xorg"), QStringLiteral("/usr/lib/xorg/Xorg"),
                        QStringLiteral("/usr/lib/xorg/Xorg :0"),
                        {QStringLiteral("/dev/input/event3"), QStringLiteral("/dev/input/event12")});
        proc.addProcess(300, QStringLiteral("firefox"), QStringLiteral("/usr/lib/firefox/firefox"),
                        QStringLiteral("firefox"), {QStringLiteral("/dev/input/event12")});
        const QString clean = runSkill(QStringLiteral("keylogger-detector"));
        QVERIFY2(!ThreatReport::isThreat(clean), qPrintable(clean));
        QVERIFY(clean.contains(QLatin1String("Known keyboard readers: Xorg")));

        // Calling itself Xorg does not help a program that runs from a temporary directory.
        proc.addProcess(200, QStringLiteral("Xorg"), QStringLiteral("/tmp/.cache/Xorg"),
                        QStringLiteral("/tmp/.cache/Xorg"), {QStringLiteral("/dev/input/event3")});
        const QString finding = runSkill(QStringLiteral("keylogger-detector"));
        QVERIFY2(ThreatReport::isThreat(finding), qPrintable(finding));
        QVERIFY(finding.contains(QLatin1String("pid 200")));
        QVERIFY(finding.contains(QLatin1String("AT Translated Set 2 keyboard")));
        QVERIFY(!finding.contains(QLatin1String("firefox")));
    }

    void networkSniffDetector()
    {
        FakeProc proc;
        QTemporaryDir dir;
        QFile quiet(dir.filePath(QStringLiteral("links.json")));
        QVERIFY(quiet.open(QIODevice::WriteOnly));
        quiet.write(fixture(QStringLiteral("ip-link.json")).toUtf8());
        quiet.close();
        FakeTool ip(QStringLiteral("HALVEX_TOOL_IP"));
        ip.setScriptBody(fakeIpScript(quiet.fileName(), QStringLiteral("eth0"), {}));
        proc.writeFile(QStringLiteral("net/packet"), "sk RefCnt Type Proto Iface R Rmem User Inode\n"
                                                     "ffff1 3 2 0800 2 1 0 0 21876\n");
        proc.addProcess(610, QStringLiteral("dhclient"), QStringLiteral("/usr/sbin/dhclient"),
                        QStringLiteral("dhclient eth0"), {QStringLiteral("socket:[21876]")});
        const QString clean = runSkill(QStringLiteral("network-sniff-detector"));
        QVERIFY2(!ThreatReport::isThreat(clean), qPrintable(clean));
        QVERIFY(clean.contains(QLatin1String("dhclient")));

        proc.writeFile(QStringLiteral("net/packet"), "sk RefCnt Type Proto Iface R Rmem User Inode\n"
                                                     "ffff1 3 2 0800 2 1 0 0 21876\n"
                                                     "ffff2 3 3 0003 0 1 0 0 998877\n");
        proc.addProcess(777, QStringLiteral("updater"), QStringLiteral("/home/u/.local/bin/updater"),
                        QStringLiteral("updater"), {QStringLiteral("socket:[998877]")});
        const QString finding = runSkill(QStringLiteral("network-sniff-detector"));
        QVERIFY2(ThreatReport::isThreat(finding), qPrintable(finding));
        QVERIFY(finding.contains(QLatin1String("updater (pid 777")));
        QVERIFY(finding.contains(QLatin1String("every interface")));
    }

    void promiscuousInterfaceOutsideBridge()
    {
        FakeProc proc;
        FakeTool ip(QStringLiteral("HALVEX_TOOL_IP"));
        ip.setScriptBody(fakeIpScript(QStringLiteral(HALVEX_FIXTURES_DIR "/skills/ip-link-vpn.json"),
                                      QStringLiteral("enp3s0"), {}));
        const QString finding = runSkill(QStringLiteral("network-sniff-detector"));
        QVERIFY2(ThreatReport::isThreat(finding), qPrintable(finding));
        QVERIFY(finding.contains(QLatin1String("enp3s0 is in promiscuous mode")));
        QVERIFY(!finding.contains(QLatin1String("veth1a2b"))); // a bridge port is promiscuous by design
    }

    void dnsLeakTest()
    {
        FakeProc proc;
        FakeTool ip(QStringLiteral("HALVEX_TOOL_IP"));
        ip.setScriptBody(fakeIpScript(QStringLiteral(HALVEX_FIXTURES_DIR "/skills/ip-link-vpn.json"),
                                      QStringLiteral("enp3s0"), {QStringLiteral("10.64.0.1")}));
        FakeTool resolvectl(QStringLiteral("HALVEX_TOOL_RESOLVECTL"));
        resolvectl.setScriptBody(QStringLiteral("[ \"$1\" = dns ] && cat '%1'\n[ \"$1\" = domain ] && echo "
                                                "'Link 5 (wg0): corp.example'\nexit 0\n")
                                     .arg(QStringLiteral(HALVEX_FIXTURES_DIR "/skills/resolvectl-dns.txt")));
        const QString leak = runSkill(QStringLiteral("dns-leak-test"));
        QVERIFY2(ThreatReport::isThreat(leak), qPrintable(leak));
        QVERIFY(leak.contains(QLatin1String("192.168.1.1 is reached through enp3s0")));
        QVERIFY(!leak.contains(QLatin1String("10.64.0.1 is reached")));

        // With "~." on the tunnel, systemd-resolved sends every name through it.
        resolvectl.setScriptBody(
            QStringLiteral("[ \"$1\" = dns ] && cat '%1'\n[ \"$1\" = domain ] && cat '%2'\nexit 0\n")
                .arg(QStringLiteral(HALVEX_FIXTURES_DIR "/skills/resolvectl-dns.txt"),
                     QStringLiteral(HALVEX_FIXTURES_DIR "/skills/resolvectl-domain.txt")));
        const QString clean = runSkill(QStringLiteral("dns-leak-test"));
        QVERIFY2(!ThreatReport::isThreat(clean), qPrintable(clean));
        QVERIFY(clean.contains(QLatin1String("inside the VPN (wg0)")));
    }

    void clipboardMonitor()
    {
        FakeProc proc;
        proc.addProcess(400, QStringLiteral("wl-paste"), QStringLiteral("/usr/bin/wl-paste"),
                        QStringLiteral("wl-paste --watch cliphist store"));
        const QString clean = runSkill(QStringLiteral("clipboard-monitor"));
        QVERIFY2(!ThreatReport::isThreat(clean), qPrintable(clean));
        QVERIFY(clean.contains(QLatin1String("cliphist")));

        proc.addProcess(401, QStringLiteral("wl-paste"), QStringLiteral("/usr/bin/wl-paste"),
                        QStringLiteral("wl-paste --watch /home/u/.none/send.sh"));
        const QString finding = runSkill(QStringLiteral("clipboard-monitor"));
        QVERIFY2(ThreatReport::isThreat(finding), qPrintable(finding));
        QVERIFY(finding.contains(QLatin1String("pid 401")));
    }

    void processAudit()
    {
        FakeProc proc;
        proc.addProcess(1, QStringLiteral("systemd"), QStringLiteral("/usr/lib/systemd/systemd"),
                        QStringLiteral("/sbin/init"));
        proc.addProcess(50, QStringLiteral("sshd"), QStringLiteral("/usr/sbin/sshd (deleted)"),
                        QStringLiteral("sshd: /usr/sbin/sshd"));
        const QString clean = runSkill(QStringLiteral("process-list"));
        QVERIFY2(!ThreatReport::isThreat(clean), qPrintable(clean));
        QVERIFY(clean.contains(QLatin1String("2 processes running")));
        QVERIFY(clean.contains(QLatin1String("1 process still run a program that an update replaced")));

        proc.addProcess(60, QStringLiteral("kworker"), QStringLiteral("/memfd:payload (deleted)"),
                        QStringLiteral("[kworker/0:2]"));
        proc.addProcess(61, QStringLiteral("miner"), QStringLiteral("/tmp/.x/miner"),
                        QStringLiteral("/tmp/.x/miner -o pool"));
        proc.addProcess(62, QStringLiteral("kthreadd"), QStringLiteral("/usr/bin/python3.11"),
                        QStringLiteral("[kthreadd]"));
        const QString finding = runSkill(QStringLiteral("process-list"));
        QVERIFY2(ThreatReport::isThreat(finding), qPrintable(finding));
        QVERIFY(finding.contains(QLatin1String("Suspicious processes found: 3")));
        QVERIFY(finding.contains(QLatin1String("runs from memory only")));
        QVERIFY(finding.contains(QLatin1String("runs from a temporary directory")));
        QVERIFY(finding.contains(QLatin1String("like a kernel thread")));
    }

    void hiddenProcesses()
    {
        FakeProc proc;
        proc.addProcess(1, QStringLiteral("systemd"), QStringLiteral("/usr/lib/systemd/systemd"),
                        QStringLiteral("/sbin/init"));
        proc.addProcess(100, QStringLiteral("app"), QStringLiteral("/usr/bin/app"), QStringLiteral("app"));
        proc.addThread(100, 101);
        const QSet<qint64> existing{1, 100, 101, 555};
        QCOMPARE(RootkitScan::hiddenProcesses(
                     proc.path(), [&](qint64 pid) { return existing.contains(pid); }, 1000),
                 QList<qint64>{555});
        // A process that starts during the scan shows up in the second listing and is not reported.
        int probes = 0;
        QCOMPARE(RootkitScan::hiddenProcesses(
                     proc.path(),
                     [&](qint64 pid) {
                         if (pid == 700 && probes++ == 0)
                             proc.addProcess(700, QStringLiteral("new"), QStringLiteral("/usr/bin/new"),
                                             QStringLiteral("new"));
                         return pid == 700 || (existing.contains(pid) && pid != 555);
                     },
                     1000),
                 QList<qint64>{});
    }

    void rootkitScanner()
    {
        FakeProc proc;
        proc.addProcess(1, QStringLiteral("systemd"), QStringLiteral("/usr/lib/systemd/systemd"),
                        QStringLiteral("/sbin/init"));
        proc.writeFile(QStringLiteral("sys/kernel/tainted"), "4097\n");
        proc.writeFile(QStringLiteral("modules"), "ext4 1064960 1 - Live 0x0000000000000000\n");
        const QString clean = runSkill(QStringLiteral("rootkit-scanner"));
        QVERIFY2(!ThreatReport::isThreat(clean), qPrintable(clean));
        QVERIFY(clean.contains(QLatin1String("proprietary module loaded (P)")));

        proc.writeFile(QStringLiteral("modules"), "diamorphine 16384 0 - Live 0x0000000000000000 (OE)\n");
        proc.writeFile(QStringLiteral("sys/kernel/tainted"), "2\n");
        const QString finding = runSkill(QStringLiteral("rootkit-scanner"));
        QVERIFY2(ThreatReport::isThreat(finding), qPrintable(finding));
        QVERIFY(finding.contains(QLatin1String("diamorphine")));
        QVERIFY(finding.contains(QLatin1String("2 suspicious traces")));
    }
};

QTEST_GUILESS_MAIN(ThreatScansTest)
#include "tst_threatscans.moc"
