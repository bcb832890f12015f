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
    // A file is old when it was modified before this time and, with `checkAccessTime`, also last
    // read before it (on a file system mounted noatime the access time stays behind the modification
    // time, so the newer of the two is what counts).
    qint64 olderThanSecs = 0;
    bool checkAccessTime = false;
    // Directories that the sweep itself emptied (never the root itself). A directory that was empty
    // before is an application's own folder and stays.
    bool removeEmptyDirectories = false;
};

// Removes the regular files under `root` that the rule selects.
Result removeOldFiles(const QString& root, const Rule& rule);
// Removes `path` whole: a file, a symbolic link (the link itself) or a directory tree of `owner`.
Result removeTree(const QString& path, uid_t owner);
// Removes the entry `name` of the open directory `parent` whole, like removeTree. `name` must be a
// single path component; anything else is refused.
Result removeEntryAt(int parent, const QByteArray& name, uid_t owner);
// A name that stands for exactly one entry of a directory: not empty, not "." or "..", no "/".
bool isEntryName(QByteArrayView name);
// Opens the directory `name` of `parent` without following a symbolic link; -1 when it is none.
int openDirectoryAt(int parent, const char* name);

} // namespace FileSweeper
