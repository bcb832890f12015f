#pragma once

#include <QList>
#include <QString>

// The file systems `df -P -T -B1` lists.
namespace DiskFree {

struct FileSystem
{
    QString device;
    QString type;
    qint64 size = 0;
    qint64 used = 0;
    qint64 available = 0;
    QString mountPoint;

    int usedPercent() const;
};

QList<FileSystem> parse(const QString& dfOutput);

} // namespace DiskFree
