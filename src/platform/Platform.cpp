#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef Q_OS_MACOS
#include <CoreFoundation/CoreFoundation.h>
#endif

namespace Platform {

Kind current()
{
    const QString forced = qEnvironmentVariable("HALVEX_PLATFORM").toLower();
    if (forced == QLatin1String("macos"))
        return Kind::MacOS;
    if (forced == QLatin1String("linux"))
        return Kind::Linux;
#ifdef Q_OS_MACOS
    return Kind::MacOS;
#else
    return Kind::Linux;
#endif
}

bool isMacOS()
{
    return current() == Kind::MacOS;
}

bool isLinux()
{
    return current() == Kind::Linux;
}

bool isBundled()
{
#ifdef Q_OS_MACOS
    CFBundleRef bundle = CFBundleGetMainBundle();
    return bundle && CFBundleGetIdentifier(bundle);
#else
    return false;
#endif
}

QString dataDirectory()
{
    return QDir::homePath() + QStringLiteral("/.halvex");
}

QString createPrivateDataDirectory()
{
    const QString path = dataDirectory();
    QDir().mkpath(QDir::homePath());
    const QByteArray native = QFile::encodeName(path);
    ::mkdir(native.constData(), 0700);
    // Opened without following a link, so a link planted in its place is neither tightened nor used.
    const int directory = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (directory < 0)
        return path; // a failure shows later as a failed write
    struct stat info;
    if (::fstat(directory, &info) == 0 && info.st_uid == ::geteuid()) {
        if ((info.st_mode & 07777) != 0700)
            ::fchmod(directory, 0700);
        const int listing = ::dup(directory);
        if (DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr) {
            while (const dirent* entry = ::readdir(dir)) {
                const int file =
                    ::openat(directory, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
                if (file < 0)
                    continue;
                struct stat fileInfo;
                if (::fstat(file, &fileInfo) == 0 && S_ISREG(fileInfo.st_mode) &&
                    fileInfo.st_uid == ::geteuid() && (fileInfo.st_mode & 077) != 0)
                    ::fchmod(file, fileInfo.st_mode & 0700);
                ::close(file);
            }
            ::closedir(dir);
        } else if (listing >= 0) {
            ::close(listing);
        }
    }
    ::close(directory);
    return path;
}

QString prettyOSName()
{
    return QSysInfo::prettyProductName();
}

} // namespace Platform
