#pragma once

#include "skills/FileSweeper.h"

#include <QDateTime>
#include <QString>

// Empties old items of the home trash (freedesktop layout: ~/.local/share/Trash/files/<name> with
// info/<name>.trashinfo holding its DeletionDate). The trash is reached from the home directory down,
// one directory at a time without following a symbolic link, so a link planted anywhere on the way
// cannot point the deletion elsewhere; an item is only ever one entry of Trash/files.
namespace TrashSweeper {

// Removes the items of `owner` deleted before `cutoff`, each with its info file.
FileSweeper::Result removeDeletedBefore(const QString& home, const QDateTime& cutoff, uid_t owner);

} // namespace TrashSweeper
