#include "BenchUtil.h"
#include "app/AppState.h"
#include "app/TrayIcon.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

// The tray application's start-up in this process: from the first line of main to the icon shown.
// The real binary's idle size and wake-ups need a real tray (without one its window opens at launch);
// bench_desktop_idle measures them in an X session with one.
int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HALVEX_PLATFORM", "linux");

    QElapsedTimer startUp;
    startUp.start();
    QApplication application(argc, argv);
    AppState state;
    TrayIcon tray(state);
    tray.show();
    report("start to tray icon shown (in process)", double(startUp.nsecsElapsed()) / 1e6, "ms", 300);
    return 0;
}
