#pragma once

#include <QSet>
#include <QString>

#include <optional>

// What /proc tells about one process: enough to name it and to signal it later without hitting another
// process that reused its id.
struct ProcessFacts
{
    qint64 pid = 0;
    // Clock ticks after boot at which the process started (field 22 of /proc/<pid>/stat); with the id,
    // it names one process for the life of the system.
    quint64 startTime = 0;
    QString executable;   // target of /proc/<pid>/exe, without " (deleted)"; empty when unreadable
    QString invokedName;  // base name of argv[0] ("arecord" where the executable is aplay)
    QString sandboxAppId; // Flatpak or Snap application id, empty outside a sandbox
};

namespace ProcessFiles {

// Absent when the process is gone or its stat cannot be read.
std::optional<ProcessFacts> read(const QString& procRoot, qint64 pid);
std::optional<quint64> startTime(const QString& procRoot, qint64 pid);
// The very process of `facts` still runs: same id, same start time, not a zombie.
bool isAlive(const QString& procRoot, const ProcessFacts& facts);
// The application id of a sandboxed process from its cgroup: Flatpak's "app-flatpak-<id>-<n>.scope",
// Snap's "snap.<name>.<app>-…" scopes.
QString sandboxAppIdFromCgroup(const QByteArray& cgroup);
// The executables of this product: this program's and its sibling's (halvex beside halvexd). Their
// processes are never reported nor ended.
QSet<QString> ownExecutables();

} // namespace ProcessFiles
