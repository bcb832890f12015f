#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The processes of the machine from /proc, as far as this user may see them. Blocking; runs off the
// main thread. A process that ends during the scan is left out.
namespace ProcessTable {

struct Process
{
    qint64 pid = 0;
    qint64 ppid = 0;
    uint uid = 0;
    QString name;        // /proc/<pid>/comm
    QString executable;  // target of /proc/<pid>/exe; empty when not readable
    QString commandLine; // arguments joined by spaces
    qint64 residentKb = 0;
    qint64 cpuTicks = 0;   // user + system time
    qint64 startTicks = 0; // since boot

    bool executableDeleted() const { return executable.endsWith(QLatin1String(" (deleted)")); }
};

// A process holding a file open, with the file's path as the kernel names it.
struct Holder
{
    Process process;
    QString target;
};

// From the text of /proc/<pid>/stat; nothing when it does not parse.
std::optional<Process> parseStat(const QString& statText);

QList<Process> read(const QString& procRoot);
std::optional<Process> readOne(const QString& procRoot, qint64 pid);
// Every id of a thread of the visible processes (thread group leaders included).
QList<qint64> threadIds(const QString& procRoot, const QList<Process>& processes);
// Average CPU use over the process's life, in percent of one core (as ps shows it).
double cpuPercent(const Process& process, double uptimeSeconds, long ticksPerSecond);
double uptimeSeconds(const QString& procRoot);
// The processes holding a file whose link target satisfies `matches` ("/dev/input/event3",
// "socket:[12345]").
QList<Holder> holders(const QString& procRoot, const QList<Process>& processes,
                      const std::function<bool(const QString&)>& matches);

} // namespace ProcessTable
