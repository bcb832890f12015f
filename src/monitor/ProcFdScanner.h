#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <sys/types.h>

// One process that holds a video node open.
struct VideoHolder
{
    qint64 pid = 0;
    QString app;        // /proc/<pid>/comm: the name pkill matches
    QString executable; // the target of /proc/<pid>/exe, empty when unreadable
    QString node;
    quint64 startTime = 0;

    friend bool operator==(const VideoHolder&, const VideoHolder&) = default;
};

// Finds the processes of one user that hold any of the given nodes, from the links in /proc/<pid>/fd.
// Blocking; runs off the main thread. Processes that vanish mid-scan and entries that cannot be read
// are skipped silently.
namespace ProcFdScanner {

struct Request
{
    QString procRoot;
    QList<QByteArray> nodes; // absolute, canonical paths as the fd links name them
    uid_t uid = 0;           // only processes of this user are attributed
    pid_t ownPid = 0;        // our own capability probes are not an access
    // PipeWire's own daemons hold the node for their streams, which are attributed on their own. A
    // process counts as such a daemon only if its executable belongs to this owner (root), so that a
    // program cannot hide by calling itself "pipewire".
    uid_t systemOwnerUid = 0;
};

struct Result
{
    QList<VideoHolder> holders;
    // Nodes some readable process holds, attributed or not (PipeWire's daemons, our own probes).
    QSet<QString> heldNodes;
};

QList<VideoHolder> scan(const Request& request);
Result scanWithHeldNodes(const Request& request);

} // namespace ProcFdScanner
