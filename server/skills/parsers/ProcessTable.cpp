#include "skills/parsers/ProcessTable.h"

#include "skills/parsers/TextFields.h"

#include <QFile>

#include <algorithm>

#include <dirent.h>
#include <unistd.h>

namespace ProcessTable {
namespace {

QStringList entriesOf(const QString& directory)
{
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(directory).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(dir);
    return names;
}

QList<qint64> numericEntries(const QString& directory)
{
    QList<qint64> ids;
    for (const QString& entry : entriesOf(directory)) {
        bool ok = false;
        const qint64 id = entry.toLongLong(&ok);
        if (ok)
            ids.append(id);
    }
    return ids;
}

// The link text as the kernel gives it: "socket:[12345]" stays as it is.
QString linkTarget(const QString& path)
{
    char buffer[4096];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return length > 0 ? QFile::decodeName(QByteArray(buffer, length)) : QString();
}

uint uidOf(const QString& statusText)
{
    const QString uids = TextFields::colonSeparated(statusText).value(QStringLiteral("Uid"));
    return uids.section(QLatin1Char('\t'), 0, 0).trimmed().section(QLatin1Char(' '), 0, 0).toUInt();
}

// The kernel's counters fit far below this; a damaged or hostile stat line is clamped to it, so that
// the sums and the page-to-byte products made from them cannot overflow.
constexpr qint64 maxCounter = Q_INT64_C(1) << 40;

qint64 counter(const QString& field)
{
    bool ok = false;
    const qulonglong value = field.toULongLong(&ok);
    return ok ? qint64(std::min<qulonglong>(value, maxCounter)) : 0;
}

} // namespace

std::optional<Process> parseStat(const QString& statText)
{
    const qsizetype open = statText.indexOf(QLatin1Char('('));
    const qsizetype close = statText.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open)
        return std::nullopt;
    const QStringList fields = statText.mid(close + 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (fields.size() < 22)
        return std::nullopt;
    Process process;
    process.pid = statText.left(open).trimmed().toLongLong();
    process.name = statText.mid(open + 1, close - open - 1);
    process.ppid = fields[1].toLongLong();
    process.cpuTicks = counter(fields[11]) + counter(fields[12]);
    process.startTicks = counter(fields[19]);
    process.residentKb = counter(fields[21]) * (::sysconf(_SC_PAGESIZE) / 1024);
    return process;
}

std::optional<Process> readOne(const QString& procRoot, qint64 pid)
{
    const QString base = procRoot + QLatin1Char('/') + QString::number(pid);
    std::optional<Process> process = parseStat(TextFields::readFile(base + QStringLiteral("/stat")));
    if (!process)
        return std::nullopt;
    process->uid = uidOf(TextFields::readFile(base + QStringLiteral("/status")));
    process->executable = linkTarget(base + QStringLiteral("/exe"));
    QString commandLine = TextFields::readFile(base + QStringLiteral("/cmdline"), 4096);
    commandLine.replace(QChar(0), QLatin1Char(' '));
    process->commandLine = commandLine.trimmed();
    return process;
}

QList<Process> read(const QString& procRoot)
{
    QList<Process> processes;
    for (qint64 pid : numericEntries(procRoot)) {
        if (std::optional<Process> process = readOne(procRoot, pid))
            processes.append(*process);
    }
    return processes;
}

QList<qint64> threadIds(const QString& procRoot, const QList<Process>& processes)
{
    QList<qint64> ids;
    for (const Process& process : processes) {
        ids.append(process.pid);
        ids.append(numericEntries(procRoot + QLatin1Char('/') + QString::number(process.pid) +
                                  QStringLiteral("/task")));
    }
    return ids;
}

double uptimeSeconds(const QString& procRoot)
{
    return TextFields::readFile(procRoot + QStringLiteral("/uptime"))
        .section(QLatin1Char(' '), 0, 0)
        .toDouble();
}

double cpuPercent(const Process& process, double uptime, long ticksPerSecond)
{
    const double lifetime = uptime - double(process.startTicks) / double(ticksPerSecond);
    if (lifetime <= 0)
        return 0;
    return 100.0 * double(process.cpuTicks) / double(ticksPerSecond) / lifetime;
}

QList<Holder> holders(const QString& procRoot, const QList<Process>& processes,
                      const std::function<bool(const QString&)>& matches)
{
    QList<Holder> found;
    for (const Process& process : processes) {
        const QString fdDirectory =
            procRoot + QLatin1Char('/') + QString::number(process.pid) + QStringLiteral("/fd");
        QStringList seen;
        for (const QString& fd : entriesOf(fdDirectory)) {
            const QString target = linkTarget(fdDirectory + QLatin1Char('/') + fd);
            if (target.isEmpty() || seen.contains(target) || !matches(target))
                continue;
            seen.append(target);
            found.append({process, target});
        }
    }
    return found;
}

} // namespace ProcessTable
