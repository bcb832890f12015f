#include "monitor/VideoNodes.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace VideoNodes {

bool isVideoNodeName(QStringView name)
{
    if (!name.startsWith(u"video") || name.size() == 5)
        return false;
    return std::all_of(name.begin() + 5, name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QStringList list(const QString& devRoot)
{
    QStringList paths;
    const QStringList names =
        QDir(devRoot).entryList({QStringLiteral("video*")}, QDir::System | QDir::Files, QDir::Name);
    for (const QString& name : names) {
        if (isVideoNodeName(name))
            paths.append(devRoot + QLatin1Char('/') + name);
    }
    return paths;
}

namespace {
// The V4L2 capability bits (kernel ABI), named as in <linux/videodev2.h>.
constexpr quint32 capVideoCapture = 0x00000001;
constexpr quint32 capVideoCaptureMplane = 0x00001000;
constexpr quint32 capDeviceCaps = 0x80000000;
} // namespace

bool isCaptureDevice(quint32 capabilities, quint32 deviceCapabilities)
{
    // Drivers that describe each node on its own say so with V4L2_CAP_DEVICE_CAPS.
    const quint32 node = (capabilities & capDeviceCaps) ? deviceCapabilities : capabilities;
    return node & (capVideoCapture | capVideoCaptureMplane);
}

#ifdef Q_OS_LINUX
static_assert(capVideoCapture == V4L2_CAP_VIDEO_CAPTURE &&
              capVideoCaptureMplane == V4L2_CAP_VIDEO_CAPTURE_MPLANE &&
              capDeviceCaps == V4L2_CAP_DEVICE_CAPS);

std::optional<bool> queryCapture(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    std::optional<bool> capture;
    struct stat status
    {
    };
    v4l2_capability capability{};
    // Only character devices get the ioctl; anything else says nothing about capabilities.
    if (::fstat(fd, &status) == 0 && S_ISCHR(status.st_mode) &&
        ::ioctl(fd, VIDIOC_QUERYCAP, &capability) == 0)
        capture = isCaptureDevice(capability.capabilities, capability.device_caps);
    ::close(fd);
    return capture;
}
#else
std::optional<bool> queryCapture(const QString&)
{
    return std::nullopt;
}
#endif

bool countsAsCamera(const CaptureProbe& probe, const QString& path)
{
    return probe(path).value_or(true);
}

} // namespace VideoNodes
