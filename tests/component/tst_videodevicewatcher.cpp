#include "monitor/VideoDeviceWatcher.h"
#include "support/FakeProcTree.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

VideoDeviceWatcher::Options optionsFor(const FakeProcTree& tree)
{
    VideoDeviceWatcher::Options options;
    options.procRoot = tree.procRoot();
    options.devRoot = tree.devRoot();
    options.systemOwnerUid = ::getuid();
    options.scanSpacing = 10ms;
    return options;
}

// Opens and closes a node, as a program taking one frame would.
void touchNode(const QString& path)
{
    QFile node(path);
    QVERIFY(node.open(QIODevice::ReadOnly));
    node.close();
}

QStringList appsOf(const QSignalSpy& accesses)
{
    QStringList apps;
    for (const QList<QVariant>& access : accesses)
        apps.append(access.at(1).toString());
    return apps;
}

// Waits until the watcher has settled and at least one scan started after `scansBefore` has finished.
bool settledAfter(const VideoDeviceWatcher& watcher, int scansBefore)
{
    return QTest::qWaitFor([&] { return watcher.scanCount() > scansBefore && !watcher.isBusy(); });
}

bool settled(const VideoDeviceWatcher& watcher)
{
    return QTest::qWaitFor([&] { return !watcher.isBusy(); });
}

// A fake tree with one node, video0, and a watcher on it.
struct WatchedTree
{
    bool startAndSettle()
    {
        watcher.start();
        return settled(watcher);
    }

    FakeProcTree tree;
    QString video0 = tree.addNode(QStringLiteral("video0"));
    VideoDeviceWatcher watcher{optionsFor(tree)};
    QSignalSpy accesses{&watcher, &AccessSource::accessDetected};
};

} // namespace

class VideoDeviceWatcherTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reportsTheProcessThatOpensACamera()
    {
        WatchedTree fixture;
        auto& [tree, video0, watcher, accesses] = fixture;
        QVERIFY(fixture.startAndSettle());
        QCOMPARE(watcher.watchedNodes(), QStringList{video0});
        QCOMPARE(accesses.count(), 0);

        const QString ffmpeg = tree.program(QStringLiteral("ffmpeg"));
        tree.addProcess(4242, QStringLiteral("ffmpeg"), ffmpeg, {"/dev/null", video0});
        touchNode(video0);
        QVERIFY(accesses.wait());
        QCOMPARE(accesses.first().at(0).toString(), QStringLiteral("camera"));
        QCOMPARE(accesses.first().at(1).toString(), QStringLiteral("ffmpeg"));
        QCOMPARE(
            accesses.first().at(2).value<std::optional<QString>>(),
            std::optional<QString>(video0 + QStringLiteral(" opened by ffmpeg (pid 4242, ") + ffmpeg + ')'));
    }

    void oneAlertPerApplicationUntilItReleases()
    {
        WatchedTree fixture;
        auto& [tree, video0, watcher, accesses] = fixture;
        QVERIFY(fixture.startAndSettle());

        tree.addProcess(10, QStringLiteral("zoom"), QString(), {video0});
        tree.addProcess(11, QStringLiteral("zoom"), QString(), {video0});
        touchNode(video0);
        QTRY_COMPARE(appsOf(accesses), QStringList{"zoom"});

        // Still held: more opens and closes report nothing new.
        int scans = watcher.scanCount();
        touchNode(video0);
        QVERIFY(settledAfter(watcher, scans));
        QCOMPARE(accesses.count(), 1);

        // One process releases, the other still holds it.
        tree.removeProcess(10);
        scans = watcher.scanCount();
        touchNode(video0);
        QVERIFY(settledAfter(watcher, scans));
        QCOMPARE(accesses.count(), 1);

        // Released by both, then taken again.
        tree.removeProcess(11);
        scans = watcher.scanCount();
        touchNode(video0);
        QVERIFY(settledAfter(watcher, scans));
        tree.addProcess(12, QStringLiteral("zoom"), QString(), {video0});
        touchNode(video0);
        QTRY_COMPARE(appsOf(accesses), (QStringList{"zoom", "zoom"}));
    }

    void everyApplicationIsReported()
    {
        WatchedTree fixture;
        auto& [tree, video0, watcher, accesses] = fixture;
        const QString video2 = tree.addNode(QStringLiteral("video2"));
        QVERIFY(fixture.startAndSettle());
        tree.addProcess(20, QStringLiteral("obs"), QString(), {video0});
        tree.addProcess(21, QStringLiteral("spy"), QString(), {video2});
        touchNode(video2);
        QTRY_COMPARE(accesses.count(), 2);
        QStringList apps = appsOf(accesses);
        apps.sort();
        QCOMPARE(apps, (QStringList{"obs", "spy"}));
    }

    void aCameraAlreadyHeldIsReportedAtStart()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        tree.addProcess(30, QStringLiteral("cheese"), QString(), {video0});
        VideoDeviceWatcher watcher(optionsFor(tree));
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        watcher.start();
        QVERIFY(accesses.wait());
        QCOMPARE(appsOf(accesses), QStringList{"cheese"});
    }

    void hotPluggedCameraIsWatched()
    {
        FakeProcTree tree;
        VideoDeviceWatcher watcher(optionsFor(tree));
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        QSignalSpy nodesUpdated(&watcher, &VideoDeviceWatcher::nodesUpdated);
        watcher.start();
        QVERIFY(nodesUpdated.wait());
        QVERIFY(watcher.watchedNodes().isEmpty());

        const QString video4 = tree.addNode(QStringLiteral("video4"));
        tree.addNode(QStringLiteral("videoX")); // not a video node name
        QTRY_COMPARE(watcher.watchedNodes(), QStringList{video4});
        QVERIFY(settled(watcher));
        tree.addProcess(40, QStringLiteral("v4l2-ctl"), QString(), {video4});
        touchNode(video4);
        QVERIFY(accesses.wait());
        QCOMPARE(appsOf(accesses), QStringList{"v4l2-ctl"});

        tree.removeNode(QStringLiteral("video4"));
        QTRY_VERIFY(watcher.watchedNodes().isEmpty());
    }

    void nodesThatAreNoCameraAreIgnored()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        const QString video1 = tree.addNode(QStringLiteral("video1"));
        const QString video2 = tree.addNode(QStringLiteral("video2"));
        VideoDeviceWatcher::Options options = optionsFor(tree);
        // video1 says it is a metadata node, video2's capabilities cannot be read.
        options.captureProbe = [video1, video2](const QString& path) -> std::optional<bool> {
            if (path == video1)
                return false;
            if (path == video2)
                return std::nullopt;
            return true;
        };
        VideoDeviceWatcher watcher(options);
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        watcher.start();
        QVERIFY(settled(watcher));
        QStringList watched = watcher.watchedNodes();
        watched.sort();
        QCOMPARE(watched, (QStringList{video0, video2}));

        tree.addProcess(50, QStringLiteral("prober"), QString(), {video1});
        const int scans = watcher.scanCount();
        touchNode(video1);
        tree.addProcess(51, QStringLiteral("unknown-caps"), QString(), {video2});
        touchNode(video2);
        QVERIFY(settledAfter(watcher, scans));
        QCOMPARE(appsOf(accesses), QStringList{"unknown-caps"});
    }

    void nothingRunsWhileNoDeviceIsTouched()
    {
        WatchedTree fixture;
        auto& [tree, video0, watcher, accesses] = fixture;
        tree.addProcess(60, QStringLiteral("app"), QString(), {"/dev/null"});
        QVERIFY(fixture.startAndSettle());
        const int scans = watcher.scanCount();
        // Other files in the device directory are written and read: still no scan.
        const QString other = tree.addNode(QStringLiteral("null"));
        touchNode(other);
        QTest::qWait(200);
        QCOMPARE(watcher.scanCount(), scans);
    }

    void stoppedWatcherReportsNothingAndKeepsItsHoldersOverARestart()
    {
        WatchedTree fixture;
        auto& [tree, video0, watcher, accesses] = fixture;
        QVERIFY(fixture.startAndSettle());
        tree.addProcess(70, QStringLiteral("guvcview"), QString(), {video0});
        touchNode(video0);
        QVERIFY(accesses.wait());

        watcher.stop();
        const int scans = watcher.scanCount();
        touchNode(video0);
        QTest::qWait(100);
        QCOMPARE(watcher.scanCount(), scans);

        // Stopping and starting protection during a call alerts no one who still holds the camera...
        watcher.start();
        QVERIFY(settled(watcher));
        touchNode(video0);
        QVERIFY(settled(watcher));
        QTest::qWait(100);
        QCOMPARE(appsOf(accesses), QStringList{"guvcview"});
        // ...while a new holder, and one that let go while stopped and took it again, are reported.
        watcher.stop();
        tree.removeProcess(70);
        watcher.start();
        QVERIFY(settled(watcher));
        tree.addProcess(71, QStringLiteral("cheese"), QString(), {video0});
        tree.addProcess(72, QStringLiteral("guvcview"), QString(), {video0});
        touchNode(video0);
        QTRY_COMPARE(appsOf(accesses), (QStringList{"guvcview", "cheese", "guvcview"}));
    }

    void ourOwnProcessesAreNeverReported()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        const QString halvexd = tree.program(QStringLiteral("halvexd"));
        VideoDeviceWatcher::Options options = optionsFor(tree);
        // By executable path: a program merely called "halvexd" is reported.
        options.namer = std::make_shared<const AppNamer>(
            tree.procRoot(), std::make_shared<const DesktopEntries>(QStringList{}), QSet<QString>{halvexd});
        VideoDeviceWatcher watcher(options);
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        watcher.start();
        QVERIFY(settled(watcher));
        tree.addProcess(90, QStringLiteral("halvexd"), halvexd, {video0});
        tree.addProcess(91, QStringLiteral("halvexd"), tree.program(QStringLiteral("halvexd-copy")),
                        {video0});
        touchNode(video0);
        QVERIFY(accesses.wait());
        QTest::qWait(200);
        QCOMPARE(accesses.count(), 1);
        QVERIFY(accesses.first().at(2).value<std::optional<QString>>()->contains(u"pid 91"));
    }

    void holderThatHidesItsDescriptorsIsAnUnknownApp()
    {
        WatchedTree fixture;
        auto& [tree, video0, watcher, accesses] = fixture;
        QVERIFY(fixture.startAndSettle());
        // A quick open and close by a process nobody can inspect (a probe) is no access.
        touchNode(video0);
        QTest::qWait(400);
        QCOMPARE(accesses.count(), 0);

        // Opened and held, and no readable process holds it: a non-dumpable process has it.
        QFile hidden(video0);
        QVERIFY(hidden.open(QIODevice::ReadOnly));
        QVERIFY(accesses.wait());
        QCOMPARE(appsOf(accesses), QStringList{"Unknown App"});
        QCOMPARE(accesses.first().at(2).value<std::optional<QString>>(),
                 std::optional<QString>(VideoDeviceWatcher::uninspectableDetails(video0)));
        QCOMPARE(VideoDeviceWatcher::uninspectableDetails("/dev/video0"),
                 "Camera in use by a process that cannot be inspected (/dev/video0)");
        // Still held over the next scans: reported once.
        tree.addProcess(80, QStringLiteral("cheese"), QString(), {video0});
        touchNode(video0);
        QTRY_COMPARE(appsOf(accesses), (QStringList{"Unknown App", "cheese"}));
        hidden.close();
        tree.removeProcess(80);
        touchNode(video0);
        QVERIFY(settled(watcher));
        QTest::qWait(400);
        QCOMPARE(accesses.count(), 2);
    }

    void characterDevicesAreListedAndProbed()
    {
        FakeProcTree tree;
        const QString node = tree.devRoot() + QStringLiteral("/video9");
        // The numbers of /dev/null: a character device that answers no V4L2 request.
        if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
            QSKIP("creating device nodes needs privileges this run does not have");
        QCOMPARE(VideoNodes::list(tree.devRoot()), QStringList{node});
        QCOMPARE(VideoNodes::queryCapture(node), std::nullopt);
        QVERIFY(VideoNodes::countsAsCamera(&VideoNodes::queryCapture, node));
        QCOMPARE(VideoNodes::queryCapture(tree.devRoot() + QStringLiteral("/video8")), std::nullopt);
    }

    void capabilityBits_data()
    {
        QTest::addColumn<quint32>("capabilities");
        QTest::addColumn<quint32>("deviceCapabilities");
        QTest::addColumn<bool>("capture");
        const quint32 deviceCaps = 0x80000000;
        QTest::newRow("capture node") << (deviceCaps | 0x1 | 0x800000) << quint32(0x1) << true;
        QTest::newRow("metadata node of a camera")
            << (deviceCaps | 0x1 | 0x800000) << quint32(0x800000) << false;
        QTest::newRow("multi-planar capture") << (deviceCaps | 0x1000) << quint32(0x1000) << true;
        QTest::newRow("old driver without device caps") << quint32(0x1) << quint32(0) << true;
        QTest::newRow("codec (memory to memory)") << (deviceCaps | 0x4000) << quint32(0x4000) << false;
    }

    void capabilityBits()
    {
        QFETCH(quint32, capabilities);
        QFETCH(quint32, deviceCapabilities);
        QFETCH(bool, capture);
        QCOMPARE(VideoNodes::isCaptureDevice(capabilities, deviceCapabilities), capture);
    }

    void realProcessHoldingAFakeNode()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        VideoDeviceWatcher::Options options = optionsFor(tree);
        options.procRoot = QStringLiteral("/proc");
        VideoDeviceWatcher watcher(options);
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        watcher.start();
        QVERIFY(settled(watcher));

        // tail opens the node itself, after exec: a real open by a real process. (A node handed over as
        // standard input is opened by the forked copy of this test before exec, which a scan may see.)
        QProcess holder;
        holder.start(QStringLiteral("tail"), {QStringLiteral("-f"), video0});
        QVERIFY(holder.waitForStarted());
        QVERIFY(accesses.wait());
        QCOMPARE(appsOf(accesses), QStringList{"tail"});
        QVERIFY(accesses.first().at(2).value<std::optional<QString>>()->contains(
            QStringLiteral("(pid %1, ").arg(holder.processId())));
        holder.kill();
        holder.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(VideoDeviceWatcherTest)
#include "tst_videodevicewatcher.moc"
