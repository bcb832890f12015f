#pragma once

#include <QString>

#include <sys/types.h>

// Whether the program at the other end of a connection runs on the host or in a sandbox. Sandboxed
// applications (Flatpak, Snap) often share the host's network, so loopback alone does not keep them
// out; what would let them run code on the host (scripts) is refused to them. The program is found
// through the inode of its socket among the open files of this user's processes.
namespace PeerSandbox {

struct Finding
{
    enum Kind { Host, Sandboxed, Unknown } kind = Unknown;
    pid_t pid = 0;
    QString reason; // Sandboxed, Unknown: why, in a few words
};

// Blocking (reads /proc); run it off the main thread. `socketInode` 0 is Unknown.
Finding examine(quint64 socketInode, const QString& procRoot = QStringLiteral("/proc"));

} // namespace PeerSandbox
