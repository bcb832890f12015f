#include "skills/TrashSweeper.h"

#include "skills/parsers/TextFields.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace TrashSweeper {
namespace {

constexpr qint64 maxInfoBytes = 64 * 1024;
const QByteArray infoSuffix = QByteArrayLiteral(".trashinfo");

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }

private:
    int m_fd;
};

// A directory of `owner` under `parent`, never through a link.
Descriptor openOwnedDirectory(int parent, const char* name, uid_t owner)
{
    Descriptor directory(FileSweeper::openDirectoryAt(parent, name));
    struct stat info;
    if (!directory.isValid() || ::fstat(directory.get(), &info) != 0 || info.st_uid != owner)
        return Descriptor();
    return directory;
}

// The DeletionDate of an info entry that is a regular file of `owner`; invalid otherwise.
QDateTime deletionDate(int infoDirectory, const QByteArray& name, uid_t owner)
{
    const Descriptor file(
        ::openat(infoDirectory, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (!file.isValid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != owner)
        return {};
    QByteArray text(maxInfoBytes, Qt::Uninitialized);
    qint64 filled = 0;
    while (filled < maxInfoBytes) {
        const ssize_t got = ::read(file.get(), text.data() + filled, size_t(maxInfoBytes - filled));
        if (got <= 0)
            break;
        filled += got;
    }
    text.truncate(filled);
    const QString deleted =
        TextFields::assignments(QString::fromUtf8(text)).value(QStringLiteral("DeletionDate"));
    return QDateTime::fromString(deleted, Qt::ISODate);
}

QList<QByteArray> entryNames(int directory)
{
    QList<QByteArray> names;
    const int listing = ::dup(directory);
    if (listing < 0)
        return names;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return names;
    }
    while (const dirent* entry = ::readdir(dir))
        names.append(QByteArray(entry->d_name));
    ::closedir(dir);
    return names;
}

} // namespace

FileSweeper::Result removeDeletedBefore(const QString& home, const QDateTime& cutoff, uid_t owner)
{
    FileSweeper::Result result;
    Descriptor directory(::open(QFile::encodeName(home).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory.isValid())
        return result;
    for (const char* step : {".local", "share", "Trash"}) {
        directory = openOwnedDirectory(directory.get(), step, owner);
        if (!directory.isValid())
            return result;
    }
    const Descriptor files = openOwnedDirectory(directory.get(), "files", owner);
    const Descriptor info = openOwnedDirectory(directory.get(), "info", owner);
    if (!files.isValid() || !info.isValid())
        return result;
    for (const QByteArray& entry : entryNames(info.get())) {
        if (!entry.endsWith(infoSuffix))
            continue;
        // "..trashinfo" would name Trash/files itself, "...trashinfo" the whole trash.
        const QByteArray item = entry.chopped(infoSuffix.size());
        if (!FileSweeper::isEntryName(item))
            continue;
        const QDateTime deleted = deletionDate(info.get(), entry, owner);
        if (!deleted.isValid() || deleted >= cutoff)
            continue;
        result += FileSweeper::removeEntryAt(files.get(), item, owner);
        if (::unlinkat(info.get(), entry.constData(), 0) != 0)
            ++result.failures;
    }
    return result;
}

} // namespace TrashSweeper
