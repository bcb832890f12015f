#include "BenchUtil.h"
#include "ProcessProbe.h"
#include "storage/Database.h"
#include "storage/EventStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int storedEvents = 100'000;
constexpr int requestsPerSecond = 200;
constexpr int secondsPerEndpoint = 10;

// 100,000 accesses spread over the 90 days the backend keeps: 40 applications, three access types.
bool fillDatabase(const QString& path)
{
    auto database = Database::open(path, nullptr);
    if (!database)
        return false;
    EventStore events(database->connection());
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 spacing = 90LL * 86'400'000 / storedEvents;
    const char* types[] = {"camera", "microphone", "location"};
    return database->inTransaction([&]() {
        for (int i = 0; i < storedEvents; ++i) {
            if (!events.add(QLatin1String(types[i % 3]), QStringLiteral("app-%1").arg(i % 40),
                            i % 7 == 0 ? std::optional<QString>(QStringLiteral("detail")) : std::nullopt,
                            now - i * spacing))
                return false;
        }
        return true;
    });
}

// The counters computed afresh, as after every change of the events: whole hours from the hourly
// counters, the rest from the time index.
double computedStatsMicroseconds(const QString& path)
{
    auto database = Database::open(path, nullptr);
    EventStore events(database->connection());
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return microsecondsPerIteration(200, [&]() { events.stats(now, now - 9 * 3'600'000); });
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// One answer off a keep-alive connection; false when none arrives.
bool readResponse(QTcpSocket& socket)
{
    QByteArray buffer;
    qsizetype needed = -1;
    while (needed < 0 || buffer.size() < needed) {
        if (!socket.waitForReadyRead(5000))
            return false;
        buffer += socket.readAll();
        const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
        if (needed < 0 && headEnd >= 0) {
            const qsizetype at = buffer.indexOf("Content-Length: ");
            needed = headEnd + 4 + buffer.mid(at + 16, buffer.indexOf("\r\n", at) - at - 16).toLongLong();
        }
    }
    return true;
}

// Requests sent at a steady rate; each latency runs from the moment the request was due, so a slow
// answer that delays the next request counts against both.
QList<double> measure(quint16 port, const QByteArray& path)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.waitForConnected(5000);
    const QByteArray request =
        "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n\r\n";
    QList<double> latencies;
    QElapsedTimer clock;
    clock.start();
    const qint64 intervalNs = 1'000'000'000LL / requestsPerSecond;
    for (int i = 0; i < requestsPerSecond * secondsPerEndpoint; ++i) {
        const qint64 due = i * intervalNs;
        while (clock.nsecsElapsed() < due)
            QThread::usleep(std::max<qint64>(1, (due - clock.nsecsElapsed()) / 1000));
        socket.write(request);
        if (!readResponse(socket))
            return {};
        latencies.append(double(clock.nsecsElapsed() - due) / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    return latencies;
}

// A fresh connection for every request, as a new client makes it: connect, ask, read, close. The
// latency runs from the connect.
QList<double> measureNewConnections(quint16 port, int count)
{
    const QByteArray request = "GET /api/status HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                               "\r\nConnection: close\r\n\r\n";
    QList<double> latencies;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer clock;
        clock.start();
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000))
            return {};
        socket.write(request);
        if (!readResponse(socket))
            return {};
        latencies.append(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    return latencies;
}

// Idle loopback connections held by this process, so the system's socket table has twice this many
// more entries (both ends of each); 9,800 of them fill it to about 20,000 within the usual limit of
// 20,000 open files.
struct SocketCrowd
{
    QTcpServer server;
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    std::vector<QTcpSocket*> accepted;

    bool fill(int connections)
    {
        rlimit files{};
        ::getrlimit(RLIMIT_NOFILE, &files);
        files.rlim_cur = std::max<rlim_t>(files.rlim_cur, std::min<rlim_t>(files.rlim_max, 4 * connections));
        ::setrlimit(RLIMIT_NOFILE, &files);
        if (!server.listen(QHostAddress::LocalHost, 0))
            return false;
        server.setMaxPendingConnections(connections);
        for (int i = 0; i < connections; ++i) {
            auto client = std::make_unique<QTcpSocket>();
            client->connectToHost(QHostAddress::LocalHost, server.serverPort());
            if (!client->waitForConnected(5000))
                return false;
            clients.push_back(std::move(client));
            // Taken off the listen queue at once, or the next handshake waits for room in it.
            server.waitForNewConnection(0);
            while (QTcpSocket* socket = server.nextPendingConnection())
                accepted.push_back(socket);
        }
        while (server.waitForNewConnection(100)) {
            while (QTcpSocket* socket = server.nextPendingConnection())
                accepted.push_back(socket);
        }
        return true;
    }
};

// One connection that pipelines requests for the whole event list and never reads: the server's
// peak resident size while it is cut off.
double peakRssUnderPipelining(const QProcess& halvexd, quint16 port)
{
    QTcpSocket flood;
    flood.setReadBufferSize(4096);
    flood.connectToHost(QHostAddress::LocalHost, port);
    if (!flood.waitForConnected(5000))
        return 1e9;
    const QByteArray request =
        "GET /api/alerts HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n\r\n";
    flood.write(request.repeated(200'000));
    qint64 peak = 0;
    QElapsedTimer clock;
    clock.start();
    while (flood.state() == QAbstractSocket::ConnectedState && clock.elapsed() < 20'000) {
        flood.waitForBytesWritten(50);
        peak = std::max<qint64>(peak, ProcessProbe::residentKilobytes(halvexd.processId()));
    }
    return double(peak) / 1024.0;
}

double percentile(const QList<double>& sorted, double fraction)
{
    return sorted.isEmpty()
               ? 1e9
               : sorted[std::min<qsizetype>(sorted.size() - 1, qsizetype(fraction * sorted.size()))];
}

} // namespace

// halvexd with 100,000 stored events: api/stats and api/alerts latency at 200 requests per second
// from loopback, then its CPU use and resident size while idle.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("tmp")));
    if (!fillDatabase(home.filePath(QStringLiteral(".halvex/backend.db")))) {
        std::printf("could not fill the database\n");
        return 1;
    }
    report("halvexd stats computed anew, 100k events",
           computedStatsMicroseconds(home.filePath(QStringLiteral(".halvex/backend.db"))) / 1000.0, "ms",
           5.0);
    const quint16 port = freePort();
    QProcess halvexd;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("TMPDIR"), home.filePath(QStringLiteral("tmp")));
    halvexd.setProcessEnvironment(environment);
    halvexd.setStandardOutputFile(QProcess::nullDevice());
    halvexd.start(
        QCoreApplication::applicationDirPath() + QStringLiteral("/../server/halvexd"),
        {QStringLiteral("--port"), QString::number(port), QStringLiteral("--workdir"), home.path()});
    if (!halvexd.waitForStarted())
        return 1;
    QThread::sleep(1);

    for (const QByteArray& path : {QByteArray("/api/stats"), QByteArray("/api/alerts")}) {
        const QList<double> latencies = measure(port, path);
        const QByteArray name = "halvexd " + path + " p99 at 200 req/s, 100k events";
        std::printf("%-52s %12.3f ms (p50)\n", ("halvexd " + path + " p50").constData(),
                    percentile(latencies, 0.50));
        report(name.constData(), percentile(latencies, 0.99), "ms", 5.0);
    }

    // Past the 5 s of quiet after which halvexd hands back the memory serving took: the steady idle.
    QThread::sleep(6);
    const double before = ProcessProbe::cpuMilliseconds(halvexd.processId());
    QThread::sleep(10);
    const double after = ProcessProbe::cpuMilliseconds(halvexd.processId());
    report("halvexd idle CPU over 10 s", after - before, "ms", 10.0);
    // Idle after serving the queries above: what the service costs a user between uses.
    report("halvexd idle RSS", double(ProcessProbe::residentKilobytes(halvexd.processId())) / 1024.0, "MB",
           18.0);
    // Most of the resident size is pages of the shared libraries, which other programs share.
    std::printf("%-52s %12.3f MB (for reference)\n", "halvexd idle proportional set size",
                double(ProcessProbe::proportionalKilobytes(halvexd.processId())) / 1024.0);

    {
        SocketCrowd crowd;
        if (!crowd.fill(9'800)) {
            std::printf("could not open 9,800 loopback connections\n");
        } else {
            const QList<double> latencies = measureNewConnections(port, 1000);
            std::printf("%-52s %12.3f ms (p50)\n", "halvexd new connection, 20k sockets, p50",
                        percentile(latencies, 0.50));
            report("halvexd new-connection request p99, 20k sockets", percentile(latencies, 0.99), "ms", 2.0);
        }
    }

    report("halvexd peak RSS, one connection pipelining without reading",
           peakRssUnderPipelining(halvexd, port), "MB", 100.0);
    halvexd.terminate();
    halvexd.waitForFinished(5000);
    return 0;
}
