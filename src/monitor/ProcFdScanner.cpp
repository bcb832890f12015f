#include "monitor/ProcFdScanner.h"

#include <QFile>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ProcFdScanner {
namespace {

// Closes a descriptor or directory stream when the scan of one process ends, whatever the path out.
struct DirectoryStream
{
    DIR* stream = nullptr;
    ~DirectoryStream()
    {
        if (stream)
            ::closedir(stream);
    }
};

bool isPid(const char* name)
{
    if (*name == '\0')
        return false;
    for (; *name; ++name) {
        if (*name < '0' || *name > '9')
            return false;
    }
    return true;
}

DIR* openDirectoryAt(int parent, const QByteArray& path)
{
    const int fd = ::openat(parent, path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    DIR* stream = ::fdopendir(fd);
    if (!stream)
        ::close(fd);
    return stream;
}

QByteArray readLinkAt(int directory, const char* name)
{
    char target[4096];
    const ssize_t length = ::readlinkat(directory, name, target, sizeof(target));
    return length > 0 ? QByteArray(target, length) : QByteArray();
}

// The first watched node among the process's descriptors, empty when it holds none.
QByteArray heldNode(int procFd, const QByteArray& pid, const QList<QByteArray>& nodes)
{
    DirectoryStream descriptors{openDirectoryAt(procFd, pid + "/fd")};
    if (!descriptors.stream)
        return {}; // gone, or not ours to read
    const int directory = ::dirfd(descriptors.stream);
    char target[4096];
    while (const dirent* entry = ::readdir(descriptors.stream)) {
        if (entry->d_name[0] == '.')
            continue;
        const ssize_t length = ::readlinkat(directory, entry->d_name, target, sizeof(target));
        if (length <= 0)
            continue;
        for (const QByteArray& node : nodes) {
            if (node.size() == length && std::memcmp(node.constData(), target, size_t(length)) == 0)
                return node;
        }
    }
    return {};
}

QString readComm(int procFd, const QByteArray& pid)
{
    const int fd = ::openat(procFd, (pid + "/comm").constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char buffer[64];
    const ssize_t length = ::read(fd, buffer, sizeof(buffer));
    ::close(fd);
    if (length <= 0)
        return {};
    return QString::fromUtf8(buffer, length).trimmed();
}

QString withoutDeletedMark(QString executable)
{
    // After a package upgrade the link reads "/usr/bin/pipewire (deleted)".
    static const QString mark = QStringLiteral(" (deleted)");
    if (executable.endsWith(mark))
        executable.chop(mark.size());
    return executable;
}

QString baseName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool isPipeWireDaemon(int procFd, const QByteArray& pid, const VideoHolder& holder, uid_t systemOwnerUid)
{
    static const QStringList daemons{QStringLiteral("pipewire"), QStringLiteral("wireplumber"),
                                     QStringLiteral("pipewire-media-session")};
    const QString executableName = baseName(withoutDeletedMark(holder.executable));
    if (!daemons.contains(executableName) || !executableName.startsWith(holder.app))
        return false;
    struct stat executable
    {
    };
    return ::fstatat(procFd, (pid + "/exe").constData(), &executable, 0) == 0 &&
           executable.st_uid == systemOwnerUid;
}

void scanProcess(int procFd, const QByteArray& pid, const Request& request, Result& result)
{
    struct stat owner
    {
    };
    if (::fstatat(procFd, pid.constData(), &owner, 0) != 0 || owner.st_uid != request.uid)
        return;
    const QByteArray node = heldNode(procFd, pid, request.nodes);
    if (node.isEmpty())
        return;
    result.heldNodes.insert(QFile::decodeName(node));
    VideoHolder holder;
    holder.pid = pid.toLongLong();
    holder.node = QFile::decodeName(node);
    holder.executable = withoutDeletedMark(QFile::decodeName(readLinkAt(procFd, (pid + "/exe").constData())));
    holder.app = readComm(procFd, pid);
    if (holder.app.isEmpty()) {
        // No comm: the process ended during the scan, or its name is empty; the executable names it.
        if (holder.executable.isEmpty())
            return;
        holder.app = baseName(holder.executable);
    }
    if (!isPipeWireDaemon(procFd, pid, holder, request.systemOwnerUid))
        result.holders.append(holder);
}

} // namespace

QList<VideoHolder> scan(const Request& request)
{
    return scanWithHeldNodes(request).holders;
}

Result scanWithHeldNodes(const Request& request)
{
    Result result;
    if (request.nodes.isEmpty())
        return result;
    DirectoryStream proc{openDirectoryAt(AT_FDCWD, QFile::encodeName(request.procRoot))};
    if (!proc.stream)
        return result;
    const int procFd = ::dirfd(proc.stream);
    const QByteArray ownPid = QByteArray::number(request.ownPid);
    while (const dirent* entry = ::readdir(proc.stream)) {
        if (!isPid(entry->d_name) || ownPid == entry->d_name)
            continue;
        scanProcess(procFd, QByteArray(entry->d_name), request, result);
    }
    return result;
}

} // namespace ProcFdScanner
