#include "monitor/InotifyWatcher.h"

#include <QFile>
#include <QSocketNotifier>

#ifdef Q_OS_LINUX

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

static_assert(InotifyWatcher::Created == IN_CREATE && InotifyWatcher::Deleted == IN_DELETE);
static_assert(InotifyWatcher::AttributesChanged == IN_ATTRIB && InotifyWatcher::MovedFrom == IN_MOVED_FROM);
static_assert(InotifyWatcher::MovedTo == IN_MOVED_TO && InotifyWatcher::Opened == IN_OPEN);
static_assert(InotifyWatcher::ClosedAfterWrite == IN_CLOSE_WRITE &&
              InotifyWatcher::ClosedReadOnly == IN_CLOSE_NOWRITE);
static_assert(InotifyWatcher::WatchRemoved == IN_IGNORED && InotifyWatcher::OnlyDirectory == IN_ONLYDIR);

InotifyWatcher::InotifyWatcher(QObject* parent) : QObject(parent) {}

InotifyWatcher::~InotifyWatcher()
{
    close();
}

bool InotifyWatcher::open(QString* error)
{
    close();
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InotifyWatcher::readEvents);
    return true;
}

void InotifyWatcher::close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

int InotifyWatcher::addWatch(const QString& path, quint32 mask, QString* error)
{
    if (m_fd < 0)
        return -1;
    const int descriptor = ::inotify_add_watch(m_fd, QFile::encodeName(path).constData(), mask);
    if (descriptor < 0 && error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return descriptor;
}

void InotifyWatcher::removeWatch(int descriptor)
{
    if (m_fd >= 0 && descriptor >= 0)
        ::inotify_rm_watch(m_fd, descriptor);
}

void InotifyWatcher::readEvents()
{
    alignas(inotify_event) char buffer[16 * 1024];
    while (m_fd >= 0) {
        const ssize_t length = ::read(m_fd, buffer, sizeof(buffer));
        if (length <= 0)
            return; // EAGAIN: drained
        for (ssize_t offset = 0; offset + ssize_t(sizeof(inotify_event)) <= length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event)) + event->len;
            if (event->mask & IN_Q_OVERFLOW) {
                Q_EMIT overflowed();
                continue;
            }
            const QByteArray name = event->len > 0 ? QByteArray(event->name) : QByteArray();
            Q_EMIT eventReceived(event->wd, event->mask, name);
            // A receiver may have closed the instance; the rest of this buffer is stale then.
            if (m_fd < 0)
                return;
        }
    }
}

#else

InotifyWatcher::InotifyWatcher(QObject* parent) : QObject(parent) {}

InotifyWatcher::~InotifyWatcher() = default;

bool InotifyWatcher::open(QString* error)
{
    if (error)
        *error = QStringLiteral("inotify is not available on this system");
    return false;
}

void InotifyWatcher::close() {}

int InotifyWatcher::addWatch(const QString&, quint32, QString*)
{
    return -1;
}

void InotifyWatcher::removeWatch(int) {}

void InotifyWatcher::readEvents() {}

#endif
