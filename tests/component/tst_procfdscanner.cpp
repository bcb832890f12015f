#include "monitor/ProcFdScanner.h"
#include "support/FakeProcTree.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <unistd.h>

namespace {

QList<VideoHolder> scan(const FakeProcTree& tree, const QStringList& nodes, uid_t systemOwnerUid = ::getuid())
{
    ProcFdScanner::Request request;
    request.procRoot = tree.procRoot();
    for (const QString& node : nodes)
        request.nodes.append(QFile::encodeName(node));
    request.uid = ::geteuid();
    request.ownPid = ::getpid();
    request.systemOwnerUid = systemOwnerUid;
    return ProcFdScanner::scan(request);
}

QStringList appsOf(const QList<VideoHolder>& holders)
{
    QStringList apps;
    for (const VideoHolder& holder : holders)
        apps.append(holder.app);
    apps.sort();
    return apps;
}

} // namespace

class ProcFdScannerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findsTheProcessesHoldingANode()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        const QString video1 = tree.addNode(QStringLiteral("video1"));
        const QString ffmpeg = tree.program(QStringLiteral("ffmpeg"));
        tree.addProcess(100, QStringLiteral("ffmpeg"), ffmpeg,
                        {"/dev/null", "pipe:[123]", "socket:[9]", video0});
        tree.addProcess(101, QStringLiteral("other"), QString(), {video1});
        tree.addProcess(102, QStringLiteral("idle"), QString(), {"/dev/null"});
        const QList<VideoHolder> holders = scan(tree, {video0});
        QCOMPARE(holders, (QList<VideoHolder>{{100, "ffmpeg", ffmpeg, video0}}));
        QCOMPARE(appsOf(scan(tree, {video0, video1})), (QStringList{"ffmpeg", "other"}));
        QVERIFY(scan(tree, {}).isEmpty());
    }

    void namesTheProcessByCommThenExecutable()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        tree.addProcess(200, QStringLiteral("GeckoMain"), tree.program(QStringLiteral("firefox-esr")),
                        {video0});
        tree.addProcess(201, QString(), tree.program(QStringLiteral("v4l2-ctl")), {video0});
        QFile::remove(tree.processDirectory(201) + QStringLiteral("/comm"));
        // Neither comm nor exe: the process ended during the scan.
        tree.addProcess(202, QString(), QString(), {video0});
        QFile::remove(tree.processDirectory(202) + QStringLiteral("/comm"));
        QCOMPARE(appsOf(scan(tree, {video0})), (QStringList{"GeckoMain", "v4l2-ctl"}));
    }

    void deletedExecutableKeepsItsName()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        tree.addProcess(300, QStringLiteral("cheese"), QStringLiteral("/usr/bin/cheese (deleted)"), {video0});
        const QList<VideoHolder> holders = scan(tree, {video0});
        QCOMPARE(holders.size(), 1);
        QCOMPARE(holders.first().executable, QStringLiteral("/usr/bin/cheese"));
    }

    void pipeWireDaemonsAreNotApplications_data()
    {
        QTest::addColumn<QString>("comm");
        QTest::addColumn<QString>("executable");
        QTest::addColumn<bool>("trustedOwner");
        QTest::addColumn<bool>("reported");
        QTest::newRow("pipewire") << "pipewire"
                                  << "pipewire" << true << false;
        QTest::newRow("wireplumber") << "wireplumber"
                                     << "wireplumber" << true << false;
        QTest::newRow("media session, comm cut at 15") << "pipewire-media-"
                                                       << "pipewire-media-session" << true << false;
        QTest::newRow("named pipewire, other executable") << "pipewire"
                                                          << "spy" << true << true;
        QTest::newRow("pipewire executable, other comm") << "spy"
                                                         << "pipewire" << true << true;
        QTest::newRow("pipewire not owned by the system") << "pipewire"
                                                          << "pipewire" << false << true;
    }

    void pipeWireDaemonsAreNotApplications()
    {
        QFETCH(QString, comm);
        QFETCH(QString, executable);
        QFETCH(bool, trustedOwner);
        QFETCH(bool, reported);
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        tree.addProcess(400, comm, tree.program(executable), {video0});
        // The tree's files belong to this user: as the system owner they pass for root's files.
        const uid_t owner = trustedOwner ? ::getuid() : ::getuid() + 1;
        QCOMPARE(scan(tree, {video0}, owner).size(), reported ? 1 : 0);
    }

    void skipsWhatCannotBeRead()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        tree.addProcess(500, QStringLiteral("good"), QString(), {video0});
        // A process without an fd directory, one whose fd "directory" is a file, a dangling link,
        // entries that are no processes, and our own process.
        QDir().mkpath(tree.processDirectory(501));
        QDir().mkpath(tree.processDirectory(502));
        QFile(tree.processDirectory(502) + QStringLiteral("/fd")).open(QIODevice::WriteOnly);
        tree.addProcess(503, QStringLiteral("dangling"), QString(),
                        {tree.devRoot() + QStringLiteral("/gone")});
        QDir().mkpath(tree.procRoot() + QStringLiteral("/self/fd"));
        QFile::link(video0, tree.procRoot() + QStringLiteral("/self/fd/0"));
        tree.addProcess(::getpid(), QStringLiteral("ourselves"), QString(), {video0});
        // Another user's process: chown where we may (root), else an fd directory we cannot read.
        tree.addProcess(504, QStringLiteral("foreign"), QString(), {video0});
        const QByteArray foreign = QFile::encodeName(tree.processDirectory(504));
        if (::geteuid() == 0)
            QCOMPARE(::chown(foreign.constData(), 65534, 65534), 0);
        else
            QVERIFY(QFile::setPermissions(tree.processDirectory(504) + QStringLiteral("/fd"), {}));
        QCOMPARE(appsOf(scan(tree, {video0})), QStringList{"good"});
    }

    void missingProcRootFindsNothing()
    {
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        ProcFdScanner::Request request;
        request.procRoot = tree.procRoot() + QStringLiteral("/nowhere");
        request.nodes = {QFile::encodeName(video0)};
        QVERIFY(ProcFdScanner::scan(request).isEmpty());
    }
};

QTEST_GUILESS_MAIN(ProcFdScannerTest)
#include "tst_procfdscanner.moc"
