#include "app/SystemResources.h"

#include <QFile>
#include <QStorageInfo>

#ifdef Q_OS_MACOS
#include <mach/mach.h>
#endif

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
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : meminfo.readAll().split('\n')) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        return fields.size() >= 2 ? fields[1].toLongLong() * 1024 : 0;
    }
    return 0;
#endif
}

} // namespace SystemResources
