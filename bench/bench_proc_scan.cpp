// One full /proc fd scan over a fake tree of 500 processes with 50 descriptors each, and proof that
// scans run only on device events: none while the watcher sits idle.
#include "BenchUtil.h"
#include "monitor/ProcFdScanner.h"
#include "monitor/VideoDeviceWatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <unistd.h>

namespace {

constexpr int processes = 500;
constexpr int descriptorsEach = 50;
constexpr int runs = 20;

// Most descriptors point where a real process's do (pipes, sockets, /dev/null, files); every 50th
// process holds the camera.
void buildTree(const QString& proc, const QString& node)
{
    for (int pid = 1000; pid < 1000 + processes; ++pid) {
        const QString directory = proc + QLatin1Char('/') + QString::number(pid);
        QDir().mkpath(directory + QStringLiteral("/fd"));
        QFile comm(directory + QStringLiteral("/comm"));
        comm.open(QIODevice::WriteOnly);
        comm.write("process" + QByteArray::number(pid) + '\n');
        for (int fd = 0; fd < descriptorsEach; ++fd) {
            QString target;
            switch (fd % 4) {
            case 0:
                target = QStringLiteral("/dev/null");
                break;
            case 1:
                target = QStringLiteral("socket:[%1]").arg(pid * 100 + fd);
                break;
            case 2:
                target = QStringLiteral("pipe:[%1]").arg(pid * 100 + fd);
                break;
            default:
                target = QStringLiteral("/usr/lib/x86_64-linux-gnu/libexample.so.%1").arg(fd);
                break;
            }
            if (fd == descriptorsEach - 1 && pid % 50 == 0)
                target = node;
            QFile::link(target, directory + QStringLiteral("/fd/") + QString::number(fd));
        }
    }
}

void runEvents(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir root;
    const QString proc = root.path() + QStringLiteral("/proc");
    const QString dev = root.path() + QStringLiteral("/dev");
    QDir().mkpath(dev);
    const QString node = dev + QStringLiteral("/video0");
    QFile(node).open(QIODevice::WriteOnly);
    buildTree(proc, node);

    ProcFdScanner::Request request;
    request.procRoot = proc;
    request.nodes = {QFile::encodeName(node)};
    request.uid = geteuid();
    request.ownPid = getpid();
    QList<double> times;
    qsizetype holders = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        holders = ProcFdScanner::scan(request).size();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-52s %12.3f ms (min %.3f, max %.3f, %d runs, %lld holders)\n",
                "one /proc fd scan, 500 processes x 50 descriptors", times[times.size() / 2], times.first(),
                times.last(), runs, qlonglong(holders));

    VideoDeviceWatcher::Options options;
    options.procRoot = proc;
    options.devRoot = dev;
    VideoDeviceWatcher watcher(options);
    watcher.start();
    runEvents(500);
    const int afterStart = watcher.scanCount();
    runEvents(2000);
    const int idleScans = watcher.scanCount() - afterStart;
    QFile(node).open(QIODevice::ReadOnly);
    runEvents(500);
    const int eventScans = watcher.scanCount() - afterStart - idleScans;
    report("/proc fd scans while no device is touched for 2 s", idleScans, "scans", 0);
    std::printf("%-52s %12d scans\n", "/proc fd scans after one open and close of a camera", eventScans);
    return eventScans >= 1 ? 0 : 1;
}
