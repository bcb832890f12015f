#include "BenchUtil.h"
#include "ProcessProbe.h"
#include "app/AppState.h"
#include "app/TrayIcon.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

// The tray application: start to tray icon in this process, then the real binary idle for 20 s
// (panel never opened): resident size and wake-ups.
int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HALVEX_PLATFORM", "linux");

    QElapsedTimer startUp;
    startUp.start();
    QApplication application(argc, argv);
    {
        AppState state;
        TrayIcon tray(state);
        tray.show();
        report("start to tray icon shown (in process)", double(startUp.nsecsElapsed()) / 1e6, "ms", 300);
    }

    QProcess halvex;
    halvex.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../src/halvex"), {});
    if (!halvex.waitForStarted())
        return 1;
    QThread::sleep(3);
    const qint64 pid = halvex.processId();
    const long wakeUpsBefore = ProcessProbe::wakeUps(pid);
    QThread::sleep(20);
    const long wakeUpsAfter = ProcessProbe::wakeUps(pid);
    report("tray application idle RSS", double(ProcessProbe::residentKilobytes(pid)) / 1024.0, "MB", 40);
    report("tray application wake-ups per second (all threads)", double(wakeUpsAfter - wakeUpsBefore) / 20.0,
           "/s", 1.0);
    halvex.terminate();
    halvex.waitForFinished(5000);
    return 0;
}
