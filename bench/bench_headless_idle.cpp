#include "BenchUtil.h"
#include "ProcessUsage.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

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
