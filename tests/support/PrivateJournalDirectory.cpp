#include "support/PrivateJournalDirectory.h"

#include <QByteArray>
#include <QDir>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

namespace PrivateJournalDirectory {
namespace {

QString failure(const char* step)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(errno)));
}

// The tmpfs goes over the deepest directory of the path that exists, so nothing is created outside the
// namespace; the rest is made inside it.
QByteArray mountPoint()
{
    for (const char* candidate : {path, "/run/systemd", "/run"}) {
        if (QDir(QLatin1String(candidate)).exists())
            return candidate;
    }
    return {};
}

} // namespace

QString enter()
{
    if (::unshare(CLONE_NEWNS) != 0)
        return failure("unshare(CLONE_NEWNS)");
    // Mounts made here must not travel back to the parent namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return failure("making / private");
    const QByteArray target = mountPoint();
    if (target.isEmpty())
        return QStringLiteral("no /run to mount over");
    if (::mount("tmpfs", target.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0)
        return failure("mounting a tmpfs");
    if (!QDir().mkpath(QLatin1String(path)))
        return QStringLiteral("cannot create %1").arg(QLatin1String(path));
    return {};
}

} // namespace PrivateJournalDirectory
