#include "app/SystemResources.h"

#include <QFile>
#include <QStorageInfo>

#ifdef Q_OS_MACOS
#include <mach/mach.h>
#include <sys/sysctl.h>
#endif

namespace {

#ifndef Q_OS_MACOS
// One "Name:   123 kB" line of /proc/meminfo, in bytes; 0 when missing.
qint64 meminfoBytes(QByteArrayView name)
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : meminfo.readAll().split('\n')) {
        if (!line.startsWith(name) || line.size() <= name.size() || line.at(name.size()) != ':')
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        return fields.size() >= 2 ? fields[1].toLongLong() * 1024 : 0;
    }
    return 0;
}
#endif

} // namespace

namespace SystemResources {

qint64 freeDiskBytes()
{
    const QStorageInfo root(QStringLiteral("/"));
    return root.isValid() ? std::max<qint64>(0, root.bytesAvailable()) : 0;
}

qint64 availableRamBytes()
{
#ifdef Q_OS_MACOS
    vm_statistics64_data_t stats{};
    mach_msg_type_number_t count = HOST_VM_INFO64_COUNT;
    if (host_statistics64(mach_host_self(), HOST_VM_INFO64, host_info64_t(&stats), &count) != KERN_SUCCESS)
        return 0;
    return (qint64(stats.free_count) + qint64(stats.inactive_count)) * qint64(vm_kernel_page_size);
#else
    return meminfoBytes("MemAvailable");
#endif
}

qint64 totalRamBytes()
{
#ifdef Q_OS_MACOS
    qint64 bytes = 0;
    size_t size = sizeof(bytes);
    return sysctlbyname("hw.memsize", &bytes, &size, nullptr, 0) == 0 ? bytes : 0;
#else
    return meminfoBytes("MemTotal");
#endif
}

std::optional<double> memoryUsePercent()
{
    const qint64 total = totalRamBytes();
    const qint64 available = availableRamBytes();
    if (total <= 0 || available <= 0)
        return std::nullopt;
    return 100.0 * double(std::max<qint64>(0, total - available)) / double(total);
}

} // namespace SystemResources
