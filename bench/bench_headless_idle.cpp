#include "BenchUtil.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

namespace {

// User + system CPU time of a process in clock ticks.
long cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLong() + fields.value(12).toLong();
}

long residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

// `halvex --headless` with nothing happening: its CPU use over ten idle seconds and its resident size.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir home;
    QProcess halvex;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    halvex.setProcessEnvironment(environment);
    halvex.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../src/halvex"),
                 {QStringLiteral("--headless")});
    if (!halvex.waitForStarted())
        return 1;
    QThread::sleep(2);
    const long before = cpuTicks(halvex.processId());
    QThread::sleep(10);
    const long after = cpuTicks(halvex.processId());
    const double cpuMs = double(after - before) * 1000.0 / double(sysconf(_SC_CLK_TCK));
    report("halvex --headless idle CPU over 10 s", cpuMs, "ms", 10.0);
    std::printf("%-52s %12ld kB\n", "halvex --headless idle RSS", residentKilobytes(halvex.processId()));
    halvex.terminate();
    halvex.waitForFinished(5000);
    return 0;
}
