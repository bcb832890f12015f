#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QString>
#include <QThread>

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

// The resident size with each shared page divided among the processes that map it.
inline long proportionalKilobytes(qint64 pid)
{
    return statusField(QStringLiteral("/proc/%1/smaps_rollup").arg(pid), "Pss");
}

// Voluntary context switches of each thread: each is one wake-up after sleeping.
inline QHash<QString, long> threadWakeUps(qint64 pid)
{
    QHash<QString, long> counts;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        counts.insert(tid, statusField(tasks + QLatin1Char('/') + tid + QStringLiteral("/status"),
                                       "voluntary_ctxt_switches"));
    return counts;
}

// Voluntary context switches summed over the threads alive now.
inline long wakeUps(qint64 pid)
{
    long total = 0;
    for (const long count : threadWakeUps(pid))
        total += count;
    return total;
}

// Wake-ups per second of every thread of another process over `seconds`. The threads are read from
// outside every 100 ms: a thread that ends inside the window (a pool thread expiring) takes its count
// with it, so one sum at each end would miss its wake-ups or even come out negative.
inline double wakeUpsPerSecond(qint64 pid, int seconds)
{
    QHash<QString, long> first = threadWakeUps(pid);
    QHash<QString, long> last = first;
    QElapsedTimer window;
    window.start();
    while (window.elapsed() < seconds * 1000LL) {
        QThread::msleep(100);
        const QHash<QString, long> now = threadWakeUps(pid);
        for (auto thread = now.cbegin(); thread != now.cend(); ++thread) {
            if (!first.contains(thread.key()))
                first.insert(thread.key(), 0); // started inside the window: all its wake-ups count
            last.insert(thread.key(), thread.value());
        }
    }
    long total = 0;
    for (auto thread = last.cbegin(); thread != last.cend(); ++thread)
        total += thread.value() - first.value(thread.key());
    return double(total) / double(seconds);
}

} // namespace ProcessProbe
