#include "monitor/VideoDeviceWatcher.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent>

#include <unistd.h>

namespace {

constexpr quint32 nodeAppearedOrWent =
    InotifyWatcher::Created | InotifyWatcher::Deleted | InotifyWatcher::MovedTo | InotifyWatcher::MovedFrom;
// Permission changes matter too: a node becomes watchable once udev has given this user access.
constexpr quint32 directoryEvents =
    nodeAppearedOrWent | InotifyWatcher::AttributesChanged | InotifyWatcher::OnlyDirectory;
constexpr quint32 nodeEvents =
    InotifyWatcher::Opened | InotifyWatcher::ClosedAfterWrite | InotifyWatcher::ClosedReadOnly;

QString canonicalDirectory(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

} // namespace

VideoDeviceWatcher::VideoDeviceWatcher(Options options, QObject* parent)
    : DeviceWatcherPart(parent), m_options(std::move(options))
{
    m_spacingTimer.setSingleShot(true);
    m_confirmTimer.setSingleShot(true);
    m_confirmTimer.setInterval(m_options.confirmDelay);
    connect(&m_confirmTimer, &QTimer::timeout, this, &VideoDeviceWatcher::requestScan);
    connect(&m_spacingTimer, &QTimer::timeout, this, &VideoDeviceWatcher::runNextJob);
    connect(&m_inotify, &InotifyWatcher::eventReceived, this, &VideoDeviceWatcher::onEvent);
    connect(&m_inotify, &InotifyWatcher::overflowed, this, [this]() {
        requestDiscovery();
        requestScan();
    });
}

VideoDeviceWatcher::~VideoDeviceWatcher()
{
    stop();
}

QString VideoDeviceWatcher::detailsText(const VideoHolder& holder)
{
    QString text = holder.node + QStringLiteral(" opened by ") + holder.app + QStringLiteral(" (pid ") +
                   QString::number(holder.pid);
    if (!holder.executable.isEmpty())
        text += QStringLiteral(", ") + holder.executable;
    return text + QLatin1Char(')');
}

void VideoDeviceWatcher::start()
{
    if (m_running)
        return;
    m_running = true;
    ++m_session;
    m_devRoot = canonicalDirectory(m_options.devRoot);
    QString error;
    if (!m_inotify.open(&error)) {
        Q_EMIT unavailable(QStringLiteral("inotify: ") + error);
        return;
    }
    m_directoryWatch = m_inotify.addWatch(m_devRoot, directoryEvents, &error);
    // Without the directory watch, new cameras go unseen; the nodes present now are still watched.
    if (m_directoryWatch < 0)
        Q_EMIT unavailable(QStringLiteral("cannot watch ") + m_devRoot + QStringLiteral(": ") + error);
    requestDiscovery();
}

void VideoDeviceWatcher::stop()
{
    if (!m_running)
        return;
    m_running = false;
    ++m_session; // results of jobs still running are dropped
    m_inotify.close();
    m_directoryWatch = -1;
    m_nodeWatches.clear();
    m_openCount.clear();
    m_suspectNodes.clear();
    m_confirmTimer.stop();
    // Nodes may be replaced unseen while stopped: their capabilities are probed again on the next start.
    m_cameraByNode.clear();
    // The holders stay: one still holding a camera when watching resumes is no new access.
    m_spacingTimer.stop();
    m_jobRunning = m_discoveryPending = m_scanPending = false;
}

void VideoDeviceWatcher::onEvent(int descriptor, quint32 mask, const QByteArray& name)
{
    if (descriptor == m_directoryWatch) {
        const QString nodeName = QFile::decodeName(name);
        if (!VideoNodes::isVideoNodeName(nodeName))
            return;
        // A node created or removed under a known name may be another device now.
        if (mask & nodeAppearedOrWent)
            m_cameraByNode.remove(m_devRoot + QLatin1Char('/') + nodeName);
        requestDiscovery();
        return;
    }
    if (mask & InotifyWatcher::WatchRemoved) {
        forgetWatch(descriptor);
        requestDiscovery();
        return;
    }
    if (mask & nodeEvents) {
        countOpens(descriptor, mask);
        requestScan();
    }
}

void VideoDeviceWatcher::countOpens(int descriptor, quint32 mask)
{
    int& opens = m_openCount[descriptor];
    if (mask & InotifyWatcher::Opened)
        ++opens;
    if (mask & (InotifyWatcher::ClosedAfterWrite | InotifyWatcher::ClosedReadOnly))
        opens = std::max(0, opens - 1);
}

void VideoDeviceWatcher::forgetWatch(int descriptor)
{
    for (auto it = m_nodeWatches.begin(); it != m_nodeWatches.end(); ++it) {
        if (it.value() == descriptor) {
            m_openCount.remove(descriptor);
            m_nodeWatches.erase(it);
            return;
        }
    }
}

void VideoDeviceWatcher::requestDiscovery()
{
    m_discoveryPending = true;
    runNextJob();
}

void VideoDeviceWatcher::requestScan()
{
    m_scanPending = true;
    runNextJob();
}

// One job at a time: discovery first (it decides which nodes a scan looks for), then a scan. Events
// that arrive while a job runs are folded into the next one.
void VideoDeviceWatcher::runNextJob()
{
    if (!m_running || m_jobRunning || m_spacingTimer.isActive())
        return;
    if (m_discoveryPending) {
        m_discoveryPending = false;
        startDiscovery();
        return;
    }
    if (!m_scanPending)
        return;
    const qint64 wait = m_lastScan.isValid() ? m_options.scanSpacing.count() - m_lastScan.elapsed() : 0;
    if (wait > 0) {
        m_spacingTimer.start(int(wait));
        return;
    }
    m_scanPending = false;
    startScan();
}

template <typename Result, typename Work, typename Apply>
void VideoDeviceWatcher::runJob(Work work, Apply apply)
{
    m_jobRunning = true;
    const quint64 session = m_session;
    auto* watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcher<Result>::finished, this, [this, watcher, session, apply]() {
        watcher->deleteLater();
        if (session != m_session)
            return;
        m_jobRunning = false;
        apply(watcher->result());
        runNextJob();
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

void VideoDeviceWatcher::startDiscovery()
{
    const QString devRoot = m_devRoot;
    const QHash<QString, bool> known = m_cameraByNode;
    const VideoNodes::CaptureProbe probe = m_options.captureProbe;
    runJob<QList<NodeKind>>(
        [devRoot, known, probe]() {
            QList<NodeKind> nodes;
            for (const QString& path : VideoNodes::list(devRoot)) {
                const auto cached = known.constFind(path);
                nodes.append(
                    {path, cached != known.cend() ? *cached : VideoNodes::countsAsCamera(probe, path)});
            }
            return nodes;
        },
        [this](const QList<NodeKind>& nodes) { applyDiscovery(nodes); });
}

void VideoDeviceWatcher::applyDiscovery(const QList<NodeKind>& nodes)
{
    QSet<QString> cameras;
    m_cameraByNode.clear();
    for (const NodeKind& node : nodes) {
        m_cameraByNode.insert(node.path, node.camera);
        if (node.camera)
            cameras.insert(node.path);
    }
    bool changed = false;
    for (auto it = m_nodeWatches.begin(); it != m_nodeWatches.end();) {
        if (cameras.contains(it.key())) {
            ++it;
            continue;
        }
        m_inotify.removeWatch(it.value());
        m_openCount.remove(it.value());
        it = m_nodeWatches.erase(it);
        changed = true;
    }
    for (const QString& path : cameras) {
        if (m_nodeWatches.contains(path))
            continue;
        // A node this user may not read cannot be opened by this user's programs either; the
        // directory watch retries once its permissions change.
        const int descriptor = m_inotify.addWatch(path, nodeEvents);
        if (descriptor < 0)
            continue;
        m_nodeWatches.insert(path, descriptor);
        changed = true;
    }
    // A camera may already be held when it is first watched.
    if (changed)
        requestScan();
    Q_EMIT nodesUpdated();
}

void VideoDeviceWatcher::startScan()
{
    ++m_scanCount;
    ProcFdScanner::Request request;
    request.procRoot = m_options.procRoot;
    for (auto it = m_nodeWatches.cbegin(); it != m_nodeWatches.cend(); ++it)
        request.nodes.append(QFile::encodeName(it.key()));
    request.uid = ::geteuid();
    request.ownPid = ::getpid();
    request.systemOwnerUid = m_options.systemOwnerUid;
    const std::shared_ptr<const AppNamer> namer = m_options.namer;
    runJob<ProcFdScanner::Result>(
        [request, namer]() {
            ProcFdScanner::Result result = ProcFdScanner::scanWithHeldNodes(request);
            if (!namer)
                return result;
            QList<VideoHolder> named;
            for (VideoHolder holder : result.holders) {
                const std::optional<AppNamer::Named> identity = namer->name(holder.pid, {});
                if (!identity)
                    continue; // our own process
                if (identity->facts.pid > 0) {
                    holder.app = identity->name;
                    holder.startTime = identity->facts.startTime;
                }
                named.append(holder);
            }
            result.holders = named;
            return result;
        },
        [this](const ProcFdScanner::Result& result) { applyScan(withUninspectableHolders(result)); });
}

QString VideoDeviceWatcher::uninspectableDetails(const QString& node)
{
    return QStringLiteral("Camera in use by a process that cannot be inspected (") + node + QLatin1Char(')');
}

QList<VideoHolder> VideoDeviceWatcher::withUninspectableHolders(const ProcFdScanner::Result& result)
{
    // A node opened and not closed again that no readable process holds is held by one that hides its
    // descriptors (non-dumpable, or another user's): the camera is in use all the same. A quick
    // open and close (another program's capability probe) can be caught between its two events, so a
    // node counts only when a second scan a moment later finds it so again.
    QList<VideoHolder> holders = result.holders;
    QSet<QString> suspects;
    bool unconfirmed = false;
    for (auto it = m_nodeWatches.cbegin(); it != m_nodeWatches.cend(); ++it) {
        if (m_openCount.value(it.value()) <= 0 || result.heldNodes.contains(it.key()))
            continue;
        suspects.insert(it.key());
        if (!m_suspectNodes.contains(it.key())) {
            unconfirmed = true;
            continue;
        }
        VideoHolder unknown;
        unknown.app = QStringLiteral("Unknown App");
        unknown.node = it.key();
        holders.append(unknown);
    }
    m_suspectNodes = suspects;
    if (unconfirmed)
        m_confirmTimer.start();
    return holders;
}

void VideoDeviceWatcher::applyScan(const QList<VideoHolder>& holders)
{
    m_lastScan.start();
    QHash<QString, QList<ProcessFacts>> processes;
    for (const VideoHolder& holder : holders) {
        if (holder.pid <= 0 || holder.startTime == 0)
            continue;
        ProcessFacts facts;
        facts.pid = holder.pid;
        facts.startTime = holder.startTime;
        processes[holder.app].append(facts);
    }
    for (auto it = processes.cbegin(); it != processes.cend(); ++it)
        Q_EMIT processesSeen(it.key(), it.value());
    QStringList apps;
    QHash<QString, VideoHolder> firstHolder;
    for (const VideoHolder& holder : holders) {
        apps.append(holder.app);
        if (!firstHolder.contains(holder.app))
            firstHolder.insert(holder.app, holder);
    }
    for (const QString& app : m_holders.update(apps)) {
        const VideoHolder& holder = firstHolder[app];
        Q_EMIT accessDetected(QStringLiteral("camera"), app,
                              holder.pid > 0 ? detailsText(holder) : uninspectableDetails(holder.node));
    }
    Q_EMIT scanCompleted();
}
