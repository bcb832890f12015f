#include "skills/threats/ProcessAudit.h"

#include "skills/SkillText.h"
#include "skills/parsers/ProcessTable.h"
#include "skills/threats/KnownPrograms.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace ProcessAudit {
namespace {

constexpr int listed = 8;

bool inTemporaryDirectory(const QString& path)
{
    return path.startsWith(QLatin1String("/tmp/")) || path.startsWith(QLatin1String("/var/tmp/")) ||
           path.startsWith(QLatin1String("/dev/shm/"));
}

// Container runtimes and sandboxes run a sealed in-memory copy of their own program, so that nothing
// can overwrite it while it runs; code loaded from the network into memory is not sealed.
bool runsSealedCopy(const QString& procRoot, const ProcessTable::Process& process)
{
    const int fd =
        ::open(QFile::encodeName(QStringLiteral("%1/%2/exe").arg(procRoot).arg(process.pid)).constData(),
               O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const int seals = ::fcntl(fd, F_GET_SEALS);
    ::close(fd);
    return seals > 0 && (seals & F_SEAL_WRITE);
}

// Why a process looks like malware; empty when it does not.
QString suspicion(const QString& procRoot, const ProcessTable::Process& process)
{
    if (process.executable.isEmpty())
        return {};
    if (process.executable.startsWith(QLatin1String("/memfd:")) && !runsSealedCopy(procRoot, process))
        return QStringLiteral("runs from memory only, without a program file");
    if (inTemporaryDirectory(process.executable))
        return QStringLiteral("runs from a temporary directory");
    if (process.commandLine.startsWith(QLatin1Char('[')))
        return QStringLiteral("calls itself %1 like a kernel thread, but runs %2")
            .arg(process.commandLine.section(QLatin1Char(' '), 0, 0), process.executable);
    return {};
}

QString usageLine(const ProcessTable::Process& process, double cpu)
{
    return QStringLiteral("%1 (pid %2): %3% CPU, %4")
        .arg(KnownPrograms::nameOf(process))
        .arg(process.pid)
        .arg(cpu, 0, 'f', 1)
        .arg(SkillText::bytes(process.residentKb * 1024));
}

} // namespace

QString report(const SkillInput& input)
{
    const QList<ProcessTable::Process> processes = ProcessTable::read(input.paths.proc);
    const double uptime = ProcessTable::uptimeSeconds(input.paths.proc);
    const long ticks = ::sysconf(_SC_CLK_TCK);
    QList<std::pair<double, ProcessTable::Process>> byCpu;
    QStringList suspicious;
    int updatedWhileRunning = 0;
    for (const ProcessTable::Process& process : processes) {
        byCpu.append({ProcessTable::cpuPercent(process, uptime, ticks), process});
        const QString why = suspicion(input.paths.proc, process);
        if (!why.isEmpty())
            suspicious.append(QStringLiteral("%1 %2").arg(KnownPrograms::describe(process), why));
        else if (process.executableDeleted() && !process.executable.startsWith(QLatin1String("/memfd:")))
            ++updatedWhileRunning;
    }
    std::sort(byCpu.begin(), byCpu.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList top;
    for (qsizetype i = 0; i < byCpu.size() && i < listed; ++i)
        top.append(usageLine(byCpu[i].second, byCpu[i].first));
    const QStringList notes{
        QStringLiteral("%1 running. Busiest (average CPU since start):")
            .arg(SkillText::count(processes.size(), QStringLiteral("process"), QStringLiteral("processes"))),
        SkillText::bullets(top, listed),
        updatedWhileRunning > 0
            ? QStringLiteral(
                  "%1 still run a program that an update replaced; restart them to finish updating.")
                  .arg(SkillText::count(updatedWhileRunning, QStringLiteral("process"),
                                        QStringLiteral("processes")))
            : QString(),
        SkillText::otherUsersNote()};
    if (!suspicious.isEmpty())
        return ThreatReport::finding(
            QStringLiteral("⚠️ Suspicious processes found: %1").arg(suspicious.size()), suspicious,
            notes);
    return ThreatReport::clean(QStringLiteral("✅ Suspicious processes: none"), notes);
}

} // namespace ProcessAudit
