#include "BenchUtil.h"
#include "ProcessProbe.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

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
    const double before = ProcessProbe::cpuMilliseconds(halvex.processId());
    QThread::sleep(10);
    const double after = ProcessProbe::cpuMilliseconds(halvex.processId());
    report("halvex --headless idle CPU over 10 s", after - before, "ms", 50.0);
    std::printf("%-52s %12ld kB\n", "halvex --headless idle RSS",
                ProcessProbe::residentKilobytes(halvex.processId()));
    halvex.terminate();
    halvex.waitForFinished(5000);
    return 0;
}
