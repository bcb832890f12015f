#include "BenchUtil.h"
#include "ProcessProbe.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <unistd.h>

// The tray application's idle footprint in a real X session (Xvfb, openbox, tint2's tray, dunst, the
// real halvexd): never opened, with the panel open, and a minute after the panel was closed; for the
// software scene graph (the default) and for the hardware interface Qt picks otherwise.
namespace {

struct Session
{
    QProcess script;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    bool start()
    {
        script.start(QStringLiteral(HALVEX_SOURCE_DIR "/scripts/desktop-session.sh"),
                     {"--session-only", "--watch-parent", QString::number(::getpid())});
        QByteArray output;
        QElapsedTimer waited;
        waited.start();
        while (!output.contains("READY\n") && waited.elapsed() < 20000) {
            script.waitForReadyRead(500);
            output += script.readAllStandardOutput();
        }
        for (const QByteArray& line : output.split('\n')) {
            const qsizetype equals = line.indexOf('=');
            if (equals > 0)
                environment.insert(QString::fromUtf8(line.left(equals)),
                                   QString::fromUtf8(line.mid(equals + 1)));
        }
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.remove("HALVEX_VENDOR_URL");
        return output.contains("READY\n");
    }
    ~Session()
    {
        script.terminate();
        if (!script.waitForFinished(10000))
            script.kill();
    }

    QByteArray run(const QString& program, const QStringList& arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        process.waitForFinished(10000);
        return process.readAllStandardOutput();
    }

    QList<QRect> halvexWindows() const
    {
        QList<QRect> rects;
        for (const QByteArray& id :
             run("xdotool", {"search", "--onlyvisible", "--class", "halvex"}).split('\n')) {
            if (id.trimmed().isEmpty())
                continue;
            QHash<QByteArray, int> values;
            for (const QByteArray& line :
                 run("xdotool", {"getwindowgeometry", "--shell", QString::fromUtf8(id)}).split('\n')) {
                const qsizetype equals = line.indexOf('=');
                if (equals > 0)
                    values.insert(line.left(equals), line.mid(equals + 1).toInt());
            }
            rects << QRect(values.value("X"), values.value("Y"), values.value("WIDTH"),
                           values.value("HEIGHT"));
        }
        return rects;
    }

    std::optional<QRect> window(bool panel) const
    {
        for (const QRect& rect : halvexWindows()) {
            if (panel ? rect.width() == 320 : rect.width() <= 48)
                return rect;
        }
        return std::nullopt;
    }

    bool waitFor(bool panel, bool shown, int timeoutMs = 20000) const
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMs) {
            if (window(panel).has_value() == shown)
                return true;
            QThread::msleep(200);
        }
        return false;
    }

    void click(QPoint at) const
    {
        run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }
};

quint16 freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

double residentMegabytes(qint64 pid)
{
    return double(ProcessProbe::residentKilobytes(pid)) / 1024.0;
}

bool measure(const char* sceneGraph)
{
    Session session;
    if (!session.start()) {
        std::printf("desktop session did not start\n");
        return false;
    }
    QTemporaryDir home;
    const quint16 port = freePort();
    QDir().mkpath(home.path() + "/.config/Halvex");
    QFile settings(home.path() + "/.config/Halvex/Halvex.conf");
    if (!settings.open(QIODevice::WriteOnly))
        return false;
    settings.write(
        QStringLiteral("[General]\nserverURL=http://127.0.0.1:%1\nhasOnboarded=true\n").arg(port).toUtf8());
    settings.close();
    QProcessEnvironment environment = session.environment;
    environment.insert("HOME", home.path());
    environment.remove("XDG_CONFIG_HOME");
    environment.insert("HALVEX_SCENE_GRAPH", QString::fromLatin1(sceneGraph));
    const QString build = QCoreApplication::applicationDirPath() + "/..";
    QProcess backend;
    backend.setProcessEnvironment(environment);
    backend.start(build + "/server/halvexd", {"--port", QString::number(port)});
    QProcess halvex;
    halvex.setProcessEnvironment(environment);
    halvex.start(build + "/src/halvex", {});
    if (!backend.waitForStarted() || !halvex.waitForStarted() || !session.waitFor(false, true))
        return false;
    const qint64 pid = halvex.processId();
    const QByteArray name = QByteArray("tray (") + sceneGraph + ") ";

    QThread::sleep(5);
    // Longer than the slow refresh's 30 s, so its wake-ups are in the count.
    const double idleWakeUps = ProcessProbe::wakeUpsPerSecond(pid, 65);
    report((name + "never opened: RSS").constData(), residentMegabytes(pid), "MB", 40);
    report((name + "never opened: wake-ups").constData(), idleWakeUps, "/s", 0.5);

    const QRect icon = *session.window(false);
    session.click(icon.center());
    if (!session.waitFor(true, true))
        return false;
    QThread::sleep(3);
    report((name + "panel open: RSS").constData(), residentMegabytes(pid), "MB", 90);
    session.click(QPoint(600, 300));
    if (!session.waitFor(true, false))
        return false;
    QThread::sleep(60);
    const double closedWakeUps = ProcessProbe::wakeUpsPerSecond(pid, 65);
    report((name + "60 s after closing: RSS").constData(), residentMegabytes(pid), "MB", 60);
    report((name + "60 s after closing: wake-ups").constData(), closedWakeUps, "/s", 0.5);

    halvex.terminate();
    halvex.waitForFinished(10000);
    backend.terminate();
    backend.waitForFinished(10000);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    for (const char* tool : {"Xvfb", "tint2", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            std::printf("skipped: %s is missing (scripts/setup.sh installs it)\n", tool);
            return 0;
        }
    }
    bool ok = measure("software");
    ok = measure("rhi") && ok;
    return ok ? 0 : 1;
}
