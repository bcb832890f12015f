#include "BenchUtil.h"
#include "ProcessProbe.h"
#include "app/AppState.h"
#include "app/CommandConsole.h"
#include "app/DashboardModel.h"
#include "platform/Settings.h"
#include "ui/DashboardWindow.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickItem>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

namespace {

constexpr int resultBytes = 64 * 1024;
constexpr int transcriptLines = 200; // user and result lines of 100 skill runs
constexpr int samples = 20;

// About 64 KB of skill output: a thousand lines of 64 characters.
QString longResult(int run)
{
    QString text;
    for (int line = 0; text.size() < resultBytes; ++line)
        text += QStringLiteral("run %1 line %2: tcp 0.0.0.0:%3 LISTEN users:((\"daemon\",pid=%4))")
                    .arg(run)
                    .arg(line)
                    .arg(1000 + line)
                    .arg(4000 + line)
                    .leftJustified(63, QLatin1Char(' '), true) +
                QLatin1Char('\n');
    return text.left(resultBytes);
}

double residentMegabytes()
{
    return double(ProcessProbe::residentKilobytes(QCoreApplication::applicationPid())) / 1024.0;
}

// A backend that answers every command with a fresh 64 KB result; `answered` is when it last wrote one.
struct LongResultBackend
{
    LongResultBackend()
    {
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->readAll();
                    if (!request.contains("\r\n\r\n"))
                        return;
                    if (!request.startsWith("POST /api/command ")) { // the state's polls find nothing
                        socket->write(
                            "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                        socket->disconnectFromHost();
                        return;
                    }
                    const QByteArray body =
                        QJsonDocument(QJsonObject{{"success", true}, {"result", longResult(++runs)}})
                            .toJson(QJsonDocument::Compact);
                    answered.start();
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        server.listen(QHostAddress::LocalHost, 0);
    }

    QTcpServer server;
    QElapsedTimer answered;
    int runs = 0;
};

QQuickItem* findItem(QQuickItem* from, const QString& name)
{
    if (!from || from->objectName() == name)
        return from;
    const QList<QQuickItem*> children = from->childItems();
    for (QQuickItem* child : children) {
        if (QQuickItem* found = findItem(child, name))
            return found;
    }
    return nullptr;
}

int countItems(QQuickItem* from, const QString& prefix)
{
    int count = from->objectName().startsWith(prefix) ? 1 : 0;
    const QList<QQuickItem*> children = from->childItems();
    for (QQuickItem* child : children)
        count += countItems(child, prefix);
    return count;
}

// Runs one skill and spins the event loop until its result line is built (a delegate lays its text
// out as it is made); the time from the reply leaving the backend to that point.
struct Timing
{
    double arrived = 0; // the reply decoded and its line in the model
    double built = 0;   // the line's delegate made and laid out
};

Timing runOnce(CommandConsole& console, DashboardWindow& window, LongResultBackend& backend)
{
    const int line = console.messageCount() + 1;
    const QString name = QStringLiteral("resultLine_%1").arg(line);
    Timing timing;
    const QMetaObject::Connection arrival =
        QObject::connect(&console, &CommandConsole::messageCountChanged, &console,
                         [&] { timing.arrived = double(backend.answered.nsecsElapsed()) / 1e6; });
    console.runSkill(QStringLiteral("open-ports"));
    while (console.messageCount() <= line || !findItem(window.contentItem(), name))
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    timing.built = double(backend.answered.nsecsElapsed()) / 1e6;
    QObject::disconnect(arrival);
    return timing;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    prepareOffscreenViews(home);
    qputenv("HALVEX_TOOL_SYSTEMCTL", "/bin/false");
    QGuiApplication app(argc, argv);
    LongResultBackend backend;
    {
        Settings settings;
        settings.setValue(SettingsKey::serverURL,
                          QStringLiteral("http://127.0.0.1:%1").arg(backend.server.serverPort()));
        settings.setProtectionEnabled(false);
        settings.setHasOnboarded(true);
        settings.setValue(SettingsKey::refreshInterval, 3600);
    }
    AppState state;
    DashboardWindow window(state, {});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    window.model()->setSelectedTab(DashboardModel::ControlTab);
    CommandConsole& console = *window.model()->console();
    const double before = residentMegabytes();

    while (console.messageCount() < transcriptLines)
        runOnce(console, window, backend);
    QTest::qWait(200);

    QList<double> arrivals;
    QList<double> lines;
    for (int i = 0; i < samples; ++i) {
        const Timing timing = runOnce(console, window, backend);
        arrivals.append(timing.arrived);
        lines.append(timing.built - timing.arrived);
    }
    std::sort(arrivals.begin(), arrivals.end());
    std::sort(lines.begin(), lines.end());
    std::printf("%-52s %12.3f ms (for reference)\n", "console: 64 KB reply received, decoded, in the model",
                arrivals.at(samples / 2));
    report("console: 64 KB line appended after 200, median", lines.at(samples / 2), "ms", 10);
    std::printf("%-52s %12d (for reference)\n", "console: transcript lines", console.messageCount());
    std::printf("%-52s %12d (for reference)\n", "console: result lines built",
                countItems(window.contentItem(), QStringLiteral("resultLine_")));
    QTest::qWait(200);
    const double after = residentMegabytes();
    std::printf("%-52s %12.1f MB (for reference)\n", "console: resident before the transcript", before);
    report("console: resident with the long transcript", after, "MB", 150);
    return 0;
}
