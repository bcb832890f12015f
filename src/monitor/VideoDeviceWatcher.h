#pragma once

#include "monitor/ActiveApps.h"
#include "monitor/AppNamer.h"
#include "monitor/DeviceWatcherPart.h"
#include "monitor/InotifyWatcher.h"
#include "monitor/ProcFdScanner.h"
#include "monitor/VideoNodes.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTimer>

#include <chrono>
#include <memory>

// The camera part of the Linux device watcher. inotify reports every open and close of a camera node
// (and new nodes appearing in the device directory); each report starts a scan of /proc/<pid>/fd off
// the main thread, and every application of this user that starts holding a camera node is reported
// once, until it has released it. Nothing runs while no device is touched.
class VideoDeviceWatcher : public DeviceWatcherPart
{
    Q_OBJECT
public:
    struct Options
    {
        QString procRoot = QStringLiteral("/proc");
        QString devRoot = QStringLiteral("/dev");
        uid_t systemOwnerUid = 0;
        VideoNodes::CaptureProbe captureProbe = &VideoNodes::queryCapture;
        // Back-to-back scans while a node is opened and closed in a loop are spaced by this much; the
        // first scan after a quiet spell starts at once.
        std::chrono::milliseconds scanSpacing{50};
        // Names holders by the rule of every Linux source and leaves out our own processes; without
        // one, holders are named by their comm.
        std::shared_ptr<const AppNamer> namer;
        // How long after a node was found held by no readable process it is looked at again.
        std::chrono::milliseconds confirmDelay{200};
    };

    explicit VideoDeviceWatcher(Options options, QObject* parent = nullptr);
    ~VideoDeviceWatcher() override;

    void start() override;
    void stop() override;

    // The camera nodes being watched, and how many scans have run since construction.
    QStringList watchedNodes() const { return m_nodeWatches.keys(); }
    int scanCount() const { return m_scanCount; }
    // A discovery or scan is running or waiting to run.
    bool isBusy() const { return m_jobRunning || m_discoveryPending || m_scanPending; }

    static QString detailsText(const VideoHolder& holder);
    static QString uninspectableDetails(const QString& node);

Q_SIGNALS:
    // The set of watched nodes was brought up to date with the device directory.
    void nodesUpdated();
    // One scan finished and its result was applied.
    void scanCompleted();

private:
    struct NodeKind
    {
        QString path;
        bool camera = false;
    };

    void onEvent(int descriptor, quint32 mask, const QByteArray& name);
    void requestDiscovery();
    void requestScan();
    void runNextJob();
    void startDiscovery();
    void startScan();
    template <typename Result, typename Work, typename Apply> void runJob(Work work, Apply apply);
    void applyDiscovery(const QList<NodeKind>& nodes);
    QList<VideoHolder> withUninspectableHolders(const ProcFdScanner::Result& result);
    void applyScan(const QList<VideoHolder>& holders);
    void forgetWatch(int descriptor);
    void countOpens(int descriptor, quint32 mask);

    Options m_options;
    QString m_devRoot; // canonical, as /proc links name the nodes
    InotifyWatcher m_inotify;
    int m_directoryWatch = -1;
    QHash<QString, int> m_nodeWatches;   // node path → watch descriptor
    QHash<QString, bool> m_cameraByNode; // what each node's capabilities said, so a node is probed once
    // Opens minus closes seen on each watched node since it was first watched: above zero, someone
    // holds it, whether or not its descriptors can be read.
    QHash<int, int> m_openCount;
    QSet<QString> m_suspectNodes; // held by no readable process at the last scan
    QTimer m_confirmTimer;
    ActiveApps m_holders;
    QTimer m_spacingTimer;
    QElapsedTimer m_lastScan;
    bool m_running = false;
    bool m_jobRunning = false;
    bool m_discoveryPending = false;
    bool m_scanPending = false;
    quint64 m_session = 0;
    int m_scanCount = 0;
};
