#include "skills/threats/RootkitScan.h"

#include "skills/SkillText.h"
#include "skills/parsers/KernelTaint.h"
#include "skills/parsers/ProcessTable.h"
#include "skills/parsers/TextFields.h"

#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <signal.h>
#include <unistd.h>

namespace RootkitScan {
namespace {

struct KnownTrace
{
    const char* path;
    const char* rootkit;
};

// Files and directories that known rootkits install.
constexpr KnownTrace knownFiles[] = {
    {"/reptile", "Reptile"},
    {"/lib/udev/reptile", "Reptile"},
    {"/XxJynx", "Jynx"},
    {"/lib/libsh.so", "SHV4/SHV5"},
    {"/usr/lib/libsh", "SHV4/SHV5"},
    {"/sbin/initsk12", "SucKIT"},
    {"/usr/share/locale/sk/.sk12", "SucKIT"},
    {"/dev/.golf", "Golf"},
};

// Module names of known kernel rootkits.
const QStringList knownModules{QStringLiteral("diamorphine"),    QStringLiteral("reptile"),
                               QStringLiteral("reptile_module"), QStringLiteral("suterusu"),
                               QStringLiteral("adore"),          QStringLiteral("adore_ng"),
                               QStringLiteral("knark"),          QStringLiteral("kovid"),
                               QStringLiteral("enyelkm"),        QStringLiteral("ipsecs_kbeast_v1")};

QSet<qint64> visibleIds(const QString& procRoot)
{
    const QList<qint64> ids = ProcessTable::threadIds(procRoot, ProcessTable::read(procRoot));
    return QSet<qint64>(ids.cbegin(), ids.cend());
}

// With hidepid, /proc shows a user only their own processes: others' are hidden by design.
bool procHidesOtherUsers(const QString& procRoot)
{
    for (const QString& line :
         TextFields::readFile(procRoot + QStringLiteral("/self/mounts")).split(QLatin1Char('\n'))) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() >= 4 && fields[1] == QLatin1String("/proc") &&
            fields[3].contains(QLatin1String("hidepid=")) &&
            !fields[3].contains(QLatin1String("hidepid=0")) &&
            !fields[3].contains(QLatin1String("hidepid=off")))
            return true;
    }
    return false;
}

ProcessExists existenceProbe(const QString& procRoot)
{
    if (procRoot == QLatin1String("/proc")) {
        // A signal 0 reaches a process however well its /proc entry is hidden.
        if (::geteuid() != 0 && procHidesOtherUsers(procRoot))
            return [](qint64 pid) { return ::kill(pid_t(pid), 0) == 0; };
        return [](qint64 pid) { return ::kill(pid_t(pid), 0) == 0 || errno == EPERM; };
    }
    return [procRoot](qint64 pid) {
        return QFileInfo::exists(procRoot + QLatin1Char('/') + QString::number(pid));
    };
}

qint64 highestIdToCheck(const QString& procRoot, const QSet<qint64>& visible)
{
    qint64 highest = 0;
    for (qint64 id : visible)
        highest = qMax(highest, id);
    // /proc/loadavg ends with the most recently created id.
    highest = qMax(highest, TextFields::readFile(procRoot + QStringLiteral("/loadavg"))
                                .section(QLatin1Char(' '), 4, 4)
                                .trimmed()
                                .toLongLong());
    const qint64 pidMax =
        TextFields::readFile(procRoot + QStringLiteral("/sys/kernel/pid_max")).trimmed().toLongLong();
    return pidMax > 0 ? qMin(pidMax, highest + 1024) : highest + 1024;
}

QStringList moduleFindings(const SkillInput& input)
{
    QStringList findings;
    for (const QString& line : TextFields::readFile(input.paths.proc + QStringLiteral("/modules"))
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString name = line.section(QLatin1Char(' '), 0, 0);
        if (knownModules.contains(name))
            findings.append(QStringLiteral("kernel module %1 of a known rootkit is loaded").arg(name));
    }
    for (const QString& name : knownModules) {
        if (QFileInfo::exists(input.paths.sys + QStringLiteral("/module/") + name))
            findings.append(QStringLiteral("kernel module %1 of a known rootkit is present in %2/module")
                                .arg(name, input.paths.sys));
    }
    findings.removeDuplicates();
    return findings;
}

QStringList fileFindings()
{
    QStringList findings;
    for (const KnownTrace& trace : knownFiles) {
        if (QFileInfo::exists(QLatin1String(trace.path)))
            findings.append(QStringLiteral("%1 of the %2 rootkit exists")
                                .arg(QLatin1String(trace.path), QLatin1String(trace.rootkit)));
    }
    // A library listed here is loaded into every program started on the machine.
    for (const QString& library :
         TextFields::meaningfulLines(TextFields::readFile(QStringLiteral("/etc/ld.so.preload"))))
        findings.append(
            QStringLiteral("/etc/ld.so.preload loads %1 into every program (suspicious)").arg(library));
    return findings;
}

} // namespace

QList<qint64> hiddenProcesses(const QString& procRoot, const ProcessExists& exists, qint64 highestId)
{
    QSet<qint64> visible = visibleIds(procRoot);
    QList<qint64> candidates;
    for (qint64 pid = 1; pid <= highestId; ++pid) {
        if (!visible.contains(pid) && exists(pid))
            candidates.append(pid);
    }
    if (candidates.isEmpty())
        return {};
    visible = visibleIds(procRoot);
    QList<qint64> hidden;
    for (qint64 pid : candidates) {
        if (!visible.contains(pid) && exists(pid))
            hidden.append(pid);
    }
    return hidden;
}

QString report(const SkillInput& input)
{
    QStringList findings = fileFindings() + moduleFindings(input);
    const QSet<qint64> visible = visibleIds(input.paths.proc);
    const qint64 highest = highestIdToCheck(input.paths.proc, visible);
    for (qint64 pid : hiddenProcesses(input.paths.proc, existenceProbe(input.paths.proc), highest))
        findings.append(QStringLiteral("process %1 runs but is hidden from /proc").arg(pid));

    const quint64 taint = TextFields::readFile(input.paths.proc + QStringLiteral("/sys/kernel/tainted"))
                              .trimmed()
                              .toULongLong();
    if (KernelTaint::hasModuleWarnings(taint))
        findings.append(
            QStringLiteral("a kernel module was forced in or out past the kernel's checks (suspicious)"));
    const QStringList taintReasons = KernelTaint::reasons(taint);
    const QString kernel =
        taintReasons.isEmpty()
            ? QStringLiteral("Kernel: not tainted.")
            : QStringLiteral("Kernel taint: %1.").arg(taintReasons.join(QStringLiteral("; ")));
    const QString checked =
        QStringLiteral(
            "Checked process ids 1 to %1, %2 known rootkit files, %3 rootkit modules and /etc/ld.so.preload.")
            .arg(highest)
            .arg(std::size(knownFiles))
            .arg(knownModules.size());
    if (!findings.isEmpty())
        return ThreatReport::finding(
            QStringLiteral("⚠️ Rootkit warning: %1 found")
                .arg(SkillText::count(findings.size(), QStringLiteral("suspicious trace"),
                                      QStringLiteral("suspicious traces"))),
            findings, {kernel, checked});
    return ThreatReport::clean(QStringLiteral("✅ Rootkits: none found"), {kernel, checked});
}

} // namespace RootkitScan
