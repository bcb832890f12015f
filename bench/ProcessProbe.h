#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

// Readings of another process from /proc.
namespace ProcessProbe {

// User + system CPU time in milliseconds.
inline double cpuMilliseconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const long ticks = fields.value(11).toLong() + fields.value(12).toLong();
    return double(ticks) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

inline long statusField(const QString& path, const QByteArray& field)
{
    QFile status(path);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

inline long residentKilobytes(qint64 pid)
{
    return statusField(QStringLiteral("/proc/%1/status").arg(pid), "VmRSS");
}

// Voluntary context switches summed over every thread: each is one wake-up after sleeping.
inline long wakeUps(qint64 pid)
{
    long total = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        total += statusField(tasks + QLatin1Char('/') + tid + QStringLiteral("/status"),
                             "voluntary_ctxt_switches");
    return total;
}

} // namespace ProcessProbe
