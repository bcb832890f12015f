// Backend client costs: strict decoding of large replies, and the round trip of one request to a
// loopback backend (a minimal in-process responder), measured on the main thread's event loop.
#include "BenchUtil.h"
#include "backend/BackendReplies.h"
#include "backend/HalvexClient.h"
#include "platform/Settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

QByteArray alertsBody(int count)
{
    QJsonArray alerts;
    for (int i = 0; i < count; ++i)
        alerts.append(SecurityAlert{"camera", QStringLiteral("App %1").arg(i), "/Applications/App.app",
                                    "2025-03-01T09:15:42.517Z", QStringLiteral("details")}
                          .toJson());
    return QJsonDocument(alerts).toJson(QJsonDocument::Compact);
}

QByteArray automationsBody(int count)
{
    QJsonArray automations;
    for (int i = 0; i < count; ++i)
        automations.append(
            Automation{QString::number(i), QStringLiteral("skill-%1").arg(i), std::nullopt, "1h", true}
                .toJson());
    return QJsonDocument(QJsonObject{{"success", true}, {"automations", automations}})
        .toJson(QJsonDocument::Compact);
}

// Parses and strictly decodes one reply body.
template <typename Decode> double microsecondsPerDecode(const QByteArray& body, long rounds, Decode decode)
{
    return microsecondsPerIteration(rounds, [&] {
        const QJsonDocument document = QJsonDocument::fromJson(body);
        const QJsonValue value =
            document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
        if (!decode(value))
            std::printf("decoding failed\n");
    });
}

// Answers every request on 127.0.0.1 with a fixed statistics body and closes the connection.
void serveStats(QTcpServer& server)
{
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                if (!socket->readAll().contains("\r\n\r\n"))
                    return;
                const QByteArray body =
                    R"({"total":7,"today":2,"last24h":3,"byType":{"camera":7},"byApp":{"Zoom":7}})";
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    server.listen(QHostAddress::LocalHost, 0);
}

void roundTrips(HalvexClient& client, int count)
{
    QList<qint64> samples;
    QElapsedTimer timer;
    std::function<void()> next = [&]() {
        if (samples.size() == count) {
            QCoreApplication::quit();
            return;
        }
        timer.start();
        client.fetchStats(&client, [&](std::optional<DashboardStats> stats) {
            samples.append(timer.nsecsElapsed());
            if (!stats)
                std::printf("request failed\n");
            next();
        });
    };
    next();
    QCoreApplication::exec();
    std::sort(samples.begin(), samples.end());
    report("fetchStats round trip over loopback, median", samples.at(count / 2) / 1e6, "ms", 5.0);
    report("fetchStats round trip over loopback, 95th percentile", samples.at(count * 95 / 100) / 1e6, "ms",
           10.0);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QCoreApplication application(argc, argv);

    const QByteArray alerts = alertsBody(500);
    report(
        "decode a 500-alert reply (fetchAlerts)",
        microsecondsPerDecode(alerts, 200, [](const QJsonValue& v) { return SecurityAlerts::fromJson(v); }) /
            1000.0,
        "ms", 5.0);
    const QByteArray automations = automationsBody(60);
    report("decode a 60-automation reply (fetchAutomations)",
           microsecondsPerDecode(automations, 500,
                                 [](const QJsonValue& v) { return AutomationsResponse::fromJson(v); }) /
               1000.0,
           "ms", 1.0);

    QTcpServer server;
    serveStats(server);
    Settings().setValue(SettingsKey::serverURL,
                        QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort()));
    HalvexClient client;
    roundTrips(client, 400);
    return 0;
}
