#include "http/PeerSandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace PeerSandbox {
namespace {

// readlink itself: the targets under /proc ("socket:[123]", "mnt:[4026531840]") are no paths.
QByteArray readLink(const QString& path)
{
    char buffer[256];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return length > 0 ? QByteArray(buffer, int(length)) : QByteArray();
}

pid_t holderOf(quint64 inode, const QString& procRoot)
{
    const QByteArray wanted = "socket:[" + QByteArray::number(inode) + ']';
    const uid_t self = ::geteuid();
    for (const QString& name : QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const pid_t pid = pid_t(name.toInt(&ok));
        if (!ok)
            continue;
        const QString directory = procRoot + QLatin1Char('/') + name;
        struct stat info;
        // Only this user's processes: another user's connection was refused before this.
        if (::stat(QFile::encodeName(directory).constData(), &info) != 0 || info.st_uid != self)
            continue;
        const QString fds = directory + QStringLiteral("/fd");
        for (const QString& fd : QDir(fds).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
            if (readLink(fds + QLatin1Char('/') + fd) == wanted)
                return pid;
        }
    }
    return 0;
}

} // namespace

Finding examine(quint64 socketInode, const QString& procRoot)
{
    if (socketInode == 0)
        return {Finding::Unknown, 0, QStringLiteral("the calling program is not known")};
    const pid_t pid = holderOf(socketInode, procRoot);
    if (pid == 0)
        return {Finding::Unknown, 0, QStringLiteral("no program of this user holds the connection")};
    const QString process = procRoot + QLatin1Char('/') + QString::number(pid);
    const QByteArray ownNamespace = readLink(procRoot + QStringLiteral("/self/ns/mnt"));
    const QByteArray itsNamespace = readLink(process + QStringLiteral("/ns/mnt"));
    if (ownNamespace.isEmpty() || itsNamespace.isEmpty())
        return {Finding::Unknown, pid, QStringLiteral("its mount namespace cannot be read")};
    if (itsNamespace != ownNamespace)
        return {Finding::Sandboxed, pid, QStringLiteral("it runs in another mount namespace")};
    if (QFileInfo::exists(process + QStringLiteral("/root/.flatpak-info")))
        return {Finding::Sandboxed, pid, QStringLiteral("it runs under Flatpak")};
    QFile cgroup(process + QStringLiteral("/cgroup"));
    if (cgroup.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : cgroup.readAll().split('\n')) {
            if (line.contains("/app-flatpak-"))
                return {Finding::Sandboxed, pid, QStringLiteral("it runs in a Flatpak application's cgroup")};
            if (line.contains("/snap."))
                return {Finding::Sandboxed, pid, QStringLiteral("it runs in a Snap application's cgroup")};
        }
    }
    return {Finding::Host, pid, {}};
}

} // namespace PeerSandbox
