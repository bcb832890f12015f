#pragma once

#include <QString>

#include <sys/types.h>

// Deletes regenerable files of this user. It never follows a symbolic link (each directory is opened
// relative to its parent with O_NOFOLLOW, so a link swapped in during the walk is not entered), never
// leaves the file system it started on, and only touches what the given user owns.
namespace FileSweeper {

struct Result
{
    qint64 bytes = 0;
    int files = 0;
    int failures = 0;

    Result& operator+=(const Result& other);
};

struct Rule
{
    uid_t owner = 0;
    qint64 olderThanSecs = 0; // modified (and accessed, when `checkAccessTime`) before this time
    bool checkAccessTime = false;
    bool removeEmptyDirectories = false; // directories emptied by the sweep (never the root itself)
};

// Removes the regular files under `root` that the rule selects.
Result removeOldFiles(const QString& root, const Rule& rule);
// Removes `path` whole: a file, a symbolic link (the link itself) or a directory tree of `owner`.
Result removeTree(const QString& path, uid_t owner);

} // namespace FileSweeper
