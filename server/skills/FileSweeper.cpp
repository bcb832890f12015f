#include "skills/FileSweeper.h"

#include <QFile>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSweeper {
namespace {

constexpr int maxDepth = 64;

template <typename Visit> void forEachEntry(int directory, Visit visit)
{
    const int listing = ::dup(directory);
    if (listing < 0)
        return;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        visit(QByteArray(entry->d_name));
    }
    ::closedir(dir);
}

bool selected(const struct stat& info, const Rule& rule)
{
    if (!S_ISREG(info.st_mode) || info.st_uid != rule.owner)
        return false;
    const time_t lastUse = rule.checkAccessTime ? qMax(info.st_mtime, info.st_atime) : info.st_mtime;
    return lastUse < rule.olderThanSecs;
}

bool isEmptyDirectory(int parent, const char* name)
{
    const int fd = openDirectoryAt(parent, name);
    if (fd < 0)
        return false;
    bool empty = true;
    forEachEntry(fd, [&](const QByteArray&) { empty = false; });
    ::close(fd);
    return empty;
}

// True when it removed anything from `directory`.
bool sweep(int directory, dev_t device, const Rule& rule, int depth, Result& result)
{
    if (depth > maxDepth)
        return false;
    bool removedAny = false;
    forEachEntry(directory, [&](const QByteArray& name) {
        struct stat info;
        if (::fstatat(directory, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 || info.st_dev != device)
            return;
        if (S_ISDIR(info.st_mode)) {
            if (info.st_uid != rule.owner)
                return;
            const int child = openDirectoryAt(directory, name.constData());
            if (child < 0)
                return;
            const bool emptiedSome = sweep(child, device, rule, depth + 1, result);
            ::close(child);
            if (emptiedSome && rule.removeEmptyDirectories && isEmptyDirectory(directory, name.constData()) &&
                ::unlinkat(directory, name.constData(), AT_REMOVEDIR) == 0)
                removedAny = true;
            return;
        }
        if (!selected(info, rule))
            return;
        if (::unlinkat(directory, name.constData(), 0) == 0) {
            result.bytes += info.st_size;
            ++result.files;
            removedAny = true;
        } else {
            ++result.failures;
        }
    });
    return removedAny;
}

void removeAll(int parent, const QByteArray& name, dev_t device, uid_t owner, int depth, Result& result)
{
    struct stat info;
    if (depth > maxDepth || ::fstatat(parent, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        info.st_dev != device || info.st_uid != owner)
        return;
    if (S_ISDIR(info.st_mode)) {
        const int child = openDirectoryAt(parent, name.constData());
        if (child < 0)
            return;
        forEachEntry(child, [&](const QByteArray& entry) {
            removeAll(child, entry, device, owner, depth + 1, result);
        });
        ::close(child);
        if (::unlinkat(parent, name.constData(), AT_REMOVEDIR) != 0)
            ++result.failures;
        return;
    }
    if (::unlinkat(parent, name.constData(), 0) == 0) {
        result.bytes += S_ISREG(info.st_mode) ? info.st_size : 0;
        ++result.files;
    } else {
        ++result.failures;
    }
}

} // namespace

int openDirectoryAt(int parent, const char* name)
{
    return ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool isEntryName(QByteArrayView name)
{
    return !name.isEmpty() && name != QByteArrayView(".") && name != QByteArrayView("..") &&
           !name.contains('/');
}

Result removeEntryAt(int parent, const QByteArray& name, uid_t owner)
{
    Result result;
    struct stat parentInfo;
    if (isEntryName(name) && ::fstat(parent, &parentInfo) == 0)
        removeAll(parent, name, parentInfo.st_dev, owner, 0, result);
    return result;
}

Result& Result::operator+=(const Result& other)
{
    bytes += other.bytes;
    files += other.files;
    failures += other.failures;
    return *this;
}

Result removeOldFiles(const QString& root, const Rule& rule)
{
    Result result;
    const int directory =
        ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (directory < 0)
        return result;
    struct stat info;
    if (::fstat(directory, &info) == 0 && (info.st_uid == rule.owner || (info.st_mode & S_ISVTX)))
        sweep(directory, info.st_dev, rule, 0, result);
    ::close(directory);
    return result;
}

Result removeTree(const QString& path, uid_t owner)
{
    Result result;
    const QByteArray native = QFile::encodeName(path);
    const qsizetype slash = native.lastIndexOf('/');
    if (slash < 0)
        return result;
    const QByteArray parentPath = slash == 0 ? QByteArray("/") : native.left(slash);
    const int parent = ::open(parentPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0)
        return result;
    result = removeEntryAt(parent, native.mid(slash + 1), owner);
    ::close(parent);
    return result;
}

} // namespace FileSweeper
