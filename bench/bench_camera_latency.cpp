// Camera detection latency on Linux: from a process's open() of a video node to the alert stored by the
// engine. Real inotify, the real /proc and a real child process per round; the node is a regular file
// in a temporary device directory. Target: at most 100 ms. The /proc scan dominates: its cost grows with
// the number of processes and descriptors of the user.
#include "BenchUtil.h"
#include "monitor/MonitorEngine.h"
#include "monitor/VideoDeviceWatcher.h"
#include "platform/Notifier.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int rounds = 30;
constexpr double targetMs = 100.0;

double nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// A child named `name` that notes the time, opens the node, reports the time through `pipe` and waits.
// Only async-signal-safe calls after fork().
pid_t spawnHolder(const QByteArray& node, const char* name, int pipe)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_NAME, name);
    const double before = nowMs();
    const int fd = open(node.constData(), O_RDONLY);
    (void)!write(pipe, &before, sizeof(before));
    if (fd >= 0)
        pause();
    _exit(0);
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(1);
    if (!condition())
        loop.exec();
    return condition();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir home;
    QTemporaryDir dev;
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString node = dev.path() + QStringLiteral("/video0");
    QFile(node).open(QIODevice::WriteOnly);

    MonitorEngine engine(false, nullptr, [] { return QDateTime::currentDateTimeUtc(); });
    VideoDeviceWatcher::Options options;
    options.devRoot = dev.path();
    auto* watcher = new VideoDeviceWatcher(options);
    engine.setSources({watcher});
    double alertAt = 0;
    QString alertApp;
    QObject::connect(&engine, &MonitorEngine::alertRecorded, [&](const SecurityAlert& alert) {
        alertAt = nowMs();
        alertApp = alert.app;
    });
    engine.start();
    if (!waitFor([&] { return !watcher->isBusy() && !watcher->watchedNodes().isEmpty(); }, 5000)) {
        std::puts("camera latency: the watcher did not start");
        return 1;
    }

    QList<double> latencies;
    const QByteArray nodePath = QFile::encodeName(node);
    for (int round = 0; round < rounds; ++round) {
        int timing[2];
        if (pipe(timing) != 0)
            return 1;
        const QByteArray name = QByteArray("camuser") + QByteArray::number(round);
        alertAt = 0;
        const pid_t child = spawnHolder(nodePath, name.constData(), timing[1]);
        const bool seen = waitFor([&] { return alertAt > 0 && alertApp == QString::fromLatin1(name); }, 5000);
        double openedAt = 0;
        (void)!read(timing[0], &openedAt, sizeof(openedAt));
        ::close(timing[0]);
        ::close(timing[1]);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        if (!seen) {
            std::printf("camera latency: round %d: no alert within 5 s\n", round);
            return 1;
        }
        latencies.append(alertAt - openedAt);
        // Let the release be seen and the watcher go quiet: each round measures an open after a quiet
        // spell, not one caught by the spacing of back-to-back scans.
        waitFor([&] { return !watcher->isBusy(); }, 5000);
        waitFor([] { return false; }, 150);
    }
    engine.stop();

    std::sort(latencies.begin(), latencies.end());
    const qsizetype processCount = QDir(QStringLiteral("/proc"))
                                       .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                       .filter(QRegularExpression(QStringLiteral("^\\d+$")))
                                       .size();
    std::printf("%-52s %12lld processes in /proc\n", "camera latency rounds: 30, scanning",
                qlonglong(processCount));
    std::printf("%-52s %12.3f ms\n", "camera latency open() to stored alert, median",
                latencies[latencies.size() / 2]);
    report("camera latency open() to stored alert, worst", latencies.last(), "ms", targetMs);
    return 0;
}
