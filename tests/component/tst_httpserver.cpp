#include "http/HttpServer.h"
#include "http/PeerSandbox.h"
#include "http/Router.h"
#include "http/SocketDiag.h"
#include "support/RawHttp.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

namespace {

// A /proc whose TCP table says that the socket at `clientPort` belongs to `uid`.
void writeSocketTable(const QString& procRoot, quint16 clientPort, quint16 serverPort, uint uid)
{
    QDir().mkpath(procRoot + QStringLiteral("/net"));
    QFile table(procRoot + QStringLiteral("/net/tcp"));
    QVERIFY(table.open(QIODevice::WriteOnly));
    table.write(QStringLiteral(
                    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
                    "timeout inode\n"
                    "   0: 0100007F:%1 0100007F:%2 01 00000000:00000000 00:00000000 00000000 %3 0 5541 1\n")
                    .arg(clientPort, 4, 16, QLatin1Char('0'))
                    .arg(serverPort, 4, 16, QLatin1Char('0'))
                    .arg(uid)
                    .toUpper()
                    .toLatin1());
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

// The HTTP/1.1 server: keep-alive, pipelining, refusals before the body, cut-off of slow clients and
// the owner check of client sockets.
class HttpServerTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<HttpServer> m_server;
    Router m_router;
    QList<QByteArray> m_handled;
    QList<HttpResponder> m_held;
    QTemporaryDir m_proc;

    void start(bool checkOwner = false, int requestDeadlineMs = 300, int idleTimeoutMs = 5000)
    {
        HttpServer::Options options;
        options.port = 0;
        options.procRoot = m_proc.path();
        options.checkPeerOwner = checkOwner;
        options.useSocketDiag = false; // the owners come from the test's own socket table
        options.limits.requestDeadlineMs = requestDeadlineMs;
        options.limits.idleTimeoutMs = idleTimeoutMs;
        options.limits.lingerMs = 200;
        m_server = std::make_unique<HttpServer>(options);
        m_server->setHandler([this](const HttpRequest& request, const HttpResponder& responder) {
            m_router.handle(request, responder);
        });
        QVERIFY(m_server->listen());
    }

    quint16 port() const { return m_server->port(); }

private Q_SLOTS:
    void init()
    {
        m_handled.clear();
        m_held.clear();
        m_router = Router();
        m_router.add("GET", QStringLiteral("/api/echo"),
                     [this](const HttpRequest& request, const HttpResponder& responder) {
                         m_handled.append(request.target);
                         responder.send(HttpResponse::json(
                             QJsonObject{{QStringLiteral("target"), QString::fromLatin1(request.target)}}));
                     });
        m_router.add("POST", QStringLiteral("/api/echo"),
                     [this](const HttpRequest& request, const HttpResponder& responder) {
                         m_handled.append(request.body);
                         responder.send({200, request.body, "application/json"});
                     });
        m_router.add("DELETE", QStringLiteral("/api/items/*"),
                     [this](const HttpRequest& request, const HttpResponder& responder) {
                         m_handled.append(request.pathParameter.toUtf8());
                         responder.send(
                             HttpResponse::json(QJsonObject{{QStringLiteral("id"), request.pathParameter}}));
                     });
        // Answers only when the test says so.
        m_router.add("GET", QStringLiteral("/api/later"),
                     [this](const HttpRequest& request, const HttpResponder& responder) {
                         m_handled.append(request.target);
                         m_held.append(responder);
                     });
    }

    void cleanup() { m_server.reset(); }

    void keepsConnectionAliveBetweenRequests()
    {
        start();
        RawHttpConnection client(port());
        for (int i = 0; i < 3; ++i) {
            client.send(RawHttpConnection::request("GET", "/api/echo?n=" + QByteArray::number(i), port()));
            const auto response = client.readResponse();
            QVERIFY(response);
            QCOMPARE(response->status, 200);
            QCOMPARE(response->headers.value("connection"), QByteArray("keep-alive"));
            QVERIFY(response->body.contains("n=" + QByteArray::number(i)));
        }
        QCOMPARE(m_handled.size(), 3);
    }

    void answersPipelinedRequestsInOrder()
    {
        start();
        RawHttpConnection client(port());
        client.send(RawHttpConnection::request("GET", "/api/later", port()) +
                    RawHttpConnection::request("POST", "/api/echo", port(), R"({"b":2})"));
        QTRY_COMPARE(m_held.size(), 1);
        QCOMPARE(m_handled.size(), 1); // the second waits until the first is answered
        m_held.first().send(HttpResponse::json(QJsonObject{{QStringLiteral("first"), true}}));
        const auto first = client.readResponse();
        const auto second = client.readResponse();
        QVERIFY(first && second);
        QVERIFY(first->body.contains("first"));
        QCOMPARE(second->body, QByteArray(R"({"b":2})"));
    }

    void routesByMethodAndPath_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("bodyPart");
        QTest::newRow("parameter decoded")
            << QByteArray("DELETE") << QByteArray("/api/items/my%20script") << 200 << QByteArray("my script");
        QTest::newRow("unknown path")
            << QByteArray("GET") << QByteArray("/api/nothing") << 404 << QByteArray("\"success\":false");
        QTest::newRow("wrong method")
            << QByteArray("PUT") << QByteArray("/api/echo") << 405 << QByteArray("\"success\":false");
        QTest::newRow("missing parameter")
            << QByteArray("DELETE") << QByteArray("/api/items/") << 404 << QByteArray("error");
        QTest::newRow("two segments")
            << QByteArray("DELETE") << QByteArray("/api/items/a/b") << 404 << QByteArray("error");
    }

    void routesByMethodAndPath()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, path);
        QFETCH(int, status);
        QFETCH(QByteArray, bodyPart);
        start();
        RawHttpConnection client(port());
        client.send(RawHttpConnection::request(method, path, port()));
        const auto response = client.readResponse();
        QVERIFY(response);
        QCOMPARE(response->status, status);
        QVERIFY2(response->body.contains(bodyPart), response->body.constData());
    }

    // The head announces a body over the limit; the answer comes before any body byte is sent.
    void refusesOversizedBodyWithoutReadingIt()
    {
        start();
        RawHttpConnection client(port());
        client.send("POST /api/echo HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port()) +
                    "\r\nContent-Type: application/json\r\nContent-Length: 300000\r\n\r\n");
        const auto response = client.readResponse();
        QVERIFY(response);
        QCOMPARE(response->status, 413);
        QCOMPARE(response->headers.value("connection"), QByteArray("close"));
        client.send(
            QByteArray(64 * 1024, 'x')); // the rest of the body is discarded, then the connection closes
        QVERIFY(client.waitForClose());
        QVERIFY(m_handled.isEmpty());
    }

    void refusesOnHeadAndCloses_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("status");
        QTest::newRow("forged host") << QByteArray(
                                            "GET /api/echo HTTP/1.1\r\nHost: attacker.example:PORT\r\n\r\n")
                                     << 421;
        QTest::newRow("origin")
            << QByteArray(
                   "GET /api/echo HTTP/1.1\r\nHost: 127.0.0.1:PORT\r\nOrigin: https://example.com\r\n\r\n")
            << 403;
        QTest::newRow("text body") << QByteArray(
                                          "POST /api/echo HTTP/1.1\r\nHost: 127.0.0.1:PORT\r\nContent-Type: "
                                          "text/plain\r\nContent-Length: 2\r\n\r\nhi")
                                   << 415;
        QTest::newRow("malformed") << QByteArray("GARBAGE\r\n\r\n") << 400;
    }

    void refusesOnHeadAndCloses()
    {
        QFETCH(QByteArray, head);
        QFETCH(int, status);
        start();
        RawHttpConnection client(port());
        client.send(head.replace("PORT", QByteArray::number(port())));
        const auto response = client.readResponse();
        QVERIFY(response);
        QCOMPARE(response->status, status);
        QVERIFY(client.waitForClose());
        QVERIFY(m_handled.isEmpty());
    }

    void cutsOffSlowClient()
    {
        start();
        RawHttpConnection client(port());
        client.send("GET /api/echo HTTP/1.1\r\nHost: 127.0.0.1:");
        QVERIFY(client.waitForClose(3000));
        QVERIFY(m_handled.isEmpty());
        RawHttpConnection silent(port());
        QVERIFY(silent.waitForClose(3000));
    }

    // A kept-alive connection waiting for its next request has its own, shorter time; a request on
    // its way is held to the request deadline only.
    void idleConnectionHasItsOwnTimeout()
    {
        start(false, 10'000, 200);
        RawHttpConnection kept(port());
        kept.send(RawHttpConnection::request("GET", "/api/echo", port()));
        QVERIFY(kept.readResponse());
        RawHttpConnection busy(port());
        const QByteArray request = RawHttpConnection::request("GET", "/api/echo?busy", port());
        busy.send(request.left(10));
        QVERIFY(kept.waitForClose(3000)); // long before the 10 s of the request deadline
        QTest::qWait(300);                // past the idle time: the started request is not idle
        busy.send(request.mid(10));
        const auto answer = busy.readResponse();
        QVERIFY(answer);
        QCOMPARE(answer->status, 200);
    }

    void refusesOverlongHead()
    {
        start();
        RawHttpConnection client(port());
        client.send("GET /api/echo HTTP/1.1\r\nX-Padding: " + QByteArray(20 * 1024, 'a'));
        const auto response = client.readResponse();
        QVERIFY(response);
        QCOMPARE(response->status, 431);
    }

    void dropsAnswerToDepartedClient()
    {
        start();
        {
            RawHttpConnection client(port());
            client.send(RawHttpConnection::request("GET", "/api/later", port()));
            QTRY_COMPARE(m_held.size(), 1);
        }
        QTest::qWait(50);
        QVERIFY(!m_held.first().isConnected());
        m_held.first().send(HttpResponse::json(QJsonObject{})); // must not touch the closed connection
        RawHttpConnection next(port());
        next.send(RawHttpConnection::request("GET", "/api/echo", port()));
        QVERIFY(next.readResponse());
    }

    // The kernel's own answer for a connection of this process, and for a socket that does not exist.
    void socketDiagFindsTheClientsSocket()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(client.waitForConnected(5000));
        const SocketDiag::Lookup found = SocketDiag::findTcp(client.localAddress(), client.localPort(),
                                                             client.peerAddress(), client.peerPort());
        if (!found.answered)
            QSKIP("sock_diag is not available here");
        QVERIFY(found.socket);
        QCOMPARE(found.socket->uid, ::geteuid());
        QVERIFY(found.socket->inode != 0);
        const SocketDiag::Lookup missing =
            SocketDiag::findTcp(client.localAddress(), freePort(), client.peerAddress(), client.peerPort());
        QVERIFY(missing.answered);
        QVERIFY(!missing.socket);
    }

    // Who holds a socket and whether it is sandboxed, on a /proc of the test's making.
    void peerSandboxFindings_data()
    {
        QTest::addColumn<QByteArray>("mountNamespace");
        QTest::addColumn<QByteArray>("cgroup");
        QTest::addColumn<bool>("flatpakInfo");
        QTest::addColumn<quint64>("inode");
        QTest::addColumn<int>("kind");
        const QByteArray plainCgroup = "0::/user.slice/user-1000.slice/session-2.scope\n";
        QTest::newRow("host") << QByteArray("mnt:[4026531841]") << plainCgroup << false << quint64(777)
                              << int(PeerSandbox::Finding::Host);
        QTest::newRow("other mount namespace") << QByteArray("mnt:[4026532999]") << plainCgroup << false
                                               << quint64(777) << int(PeerSandbox::Finding::Sandboxed);
        QTest::newRow("flatpak info") << QByteArray("mnt:[4026531841]") << plainCgroup << true << quint64(777)
                                      << int(PeerSandbox::Finding::Sandboxed);
        QTest::newRow("flatpak cgroup")
            << QByteArray("mnt:[4026531841]")
            << QByteArray("0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                          "app-flatpak-org.example.App-1234.scope\n")
            << false << quint64(777) << int(PeerSandbox::Finding::Sandboxed);
        QTest::newRow("snap cgroup") << QByteArray("mnt:[4026531841]")
                                     << QByteArray(
                                            "0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                                            "snap.firefox.firefox-5678.scope\n")
                                     << false << quint64(777) << int(PeerSandbox::Finding::Sandboxed);
        QTest::newRow("nobody holds it") << QByteArray("mnt:[4026531841]") << plainCgroup << false
                                         << quint64(778) << int(PeerSandbox::Finding::Unknown);
    }

    void peerSandboxFindings()
    {
        QFETCH(QByteArray, mountNamespace);
        QFETCH(QByteArray, cgroup);
        QFETCH(bool, flatpakInfo);
        QFETCH(quint64, inode);
        QFETCH(int, kind);
        QTemporaryDir proc;
        const QString process = proc.filePath(QStringLiteral("4242"));
        for (const QString& directory :
             {proc.filePath(QStringLiteral("self/ns")), process + QStringLiteral("/ns"),
              process + QStringLiteral("/fd"), process + QStringLiteral("/root")})
            QVERIFY(QDir().mkpath(directory));
        QCOMPARE(
            ::symlink("mnt:[4026531841]", QFile::encodeName(proc.filePath(QStringLiteral("self/ns/mnt")))),
            0);
        QCOMPARE(
            ::symlink(mountNamespace.constData(), QFile::encodeName(process + QStringLiteral("/ns/mnt"))), 0);
        QCOMPARE(::symlink("/dev/null", QFile::encodeName(process + QStringLiteral("/fd/0"))), 0);
        QCOMPARE(::symlink("socket:[777]", QFile::encodeName(process + QStringLiteral("/fd/5"))), 0);
        QFile cgroupFile(process + QStringLiteral("/cgroup"));
        QVERIFY(cgroupFile.open(QIODevice::WriteOnly));
        cgroupFile.write(cgroup);
        cgroupFile.close();
        if (flatpakInfo)
            QVERIFY(QFile(process + QStringLiteral("/root/.flatpak-info")).open(QIODevice::WriteOnly));
        const PeerSandbox::Finding finding = PeerSandbox::examine(inode, proc.path());
        QCOMPARE(int(finding.kind), kind);
        if (kind != PeerSandbox::Finding::Unknown)
            QCOMPARE(finding.pid, pid_t(4242));
    }

    void refusesOtherUsersSocket()
    {
        start(true);
        const quint16 clientPort = freePort();
        writeSocketTable(m_proc.path(), clientPort, port(), ::geteuid() + 4242);
        RawHttpConnection stranger(port(), clientPort);
        stranger.send(RawHttpConnection::request("GET", "/api/echo", port()));
        QVERIFY(!stranger.readResponse(2000));
        QVERIFY(m_handled.isEmpty());

        const quint16 ownPort = freePort();
        writeSocketTable(m_proc.path(), ownPort, port(), ::geteuid());
        RawHttpConnection own(port(), ownPort);
        own.send(RawHttpConnection::request("GET", "/api/echo", port()));
        const auto response = own.readResponse();
        QVERIFY(response);
        QCOMPARE(response->status, 200);
    }
};

QTEST_GUILESS_MAIN(HttpServerTest)
#include "tst_httpserver.moc"
