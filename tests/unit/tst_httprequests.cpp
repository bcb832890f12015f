#include "http/RequestHeadParser.h"
#include "http/RequestPolicy.h"
#include "http/TcpSocketOwner.h"

#include <QTest>

// The request head parser and the rules every request passes before its body is read.
class HttpRequestsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parsesHead()
    {
        const auto parsed = RequestHeadParser::parse("POST /api/custom-skills/a%20b?x=1 HTTP/1.1\r\n"
                                                     "Host: 127.0.0.1:3456\r\n"
                                                     "Content-Type: application/json\r\n"
                                                     "X-Twice: one\r\n"
                                                     "x-twice: two\r\n"
                                                     "Content-Length: 12\r\n\r\n");
        QVERIFY(parsed.request);
        QCOMPARE(parsed.request->method, QByteArray("POST"));
        QCOMPARE(parsed.request->path, QStringLiteral("/api/custom-skills/a%20b"));
        QCOMPARE(parsed.request->header("host"), QByteArray("127.0.0.1:3456"));
        QCOMPARE(parsed.request->header("x-twice"), QByteArray("one, two"));
        QVERIFY(parsed.request->keepAlive());
    }

    void refusesHead_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("status");
        QTest::newRow("folded line") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n b\r\n\r\n") << 400;
        QTest::newRow("two hosts") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n") << 400;
        QTest::newRow("two lengths")
            << QByteArray("GET / HTTP/1.1\r\nContent-Length: 1\r\ncontent-length: 2\r\n\r\n") << 400;
        QTest::newRow("space before colon") << QByteArray("GET / HTTP/1.1\r\nHost : a\r\n\r\n") << 400;
        QTest::newRow("bare line feed") << QByteArray("GET / HTTP/1.1\nHost: a\r\n\r\n") << 400;
        QTest::newRow("absolute target") << QByteArray("GET http://x/ HTTP/1.1\r\n\r\n") << 400;
        QTest::newRow("HTTP/2") << QByteArray("GET / HTTP/2.0\r\n\r\n") << 505;
        QTest::newRow("no version") << QByteArray("GET /\r\n\r\n") << 400;
    }

    void refusesHead()
    {
        QFETCH(QByteArray, head);
        QFETCH(int, status);
        const auto parsed = RequestHeadParser::parse(head);
        QVERIFY(!parsed.request);
        QCOMPARE(parsed.errorStatus, status);
    }

    void keepAliveFollowsVersion_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("keepAlive");
        QTest::newRow("1.1 default") << QByteArray("GET / HTTP/1.1\r\n\r\n") << true;
        QTest::newRow("1.1 close") << QByteArray("GET / HTTP/1.1\r\nConnection: close\r\n\r\n") << false;
        QTest::newRow("1.0 default") << QByteArray("GET / HTTP/1.0\r\n\r\n") << false;
        QTest::newRow("1.0 keep-alive")
            << QByteArray("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n") << true;
    }

    void keepAliveFollowsVersion()
    {
        QFETCH(QByteArray, head);
        QFETCH(bool, keepAlive);
        QCOMPARE(RequestHeadParser::parse(head).request->keepAlive(), keepAlive);
    }

    void policy_data()
    {
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<int>("status"); // 0: accepted
        QTest::addColumn<qint64>("bodyBytes");
        QTest::newRow("loopback address") << QByteArray("Host: 127.0.0.1:3456\r\n") << 0 << qint64(0);
        QTest::newRow("localhost") << QByteArray("Host: LocalHost:3456\r\n") << 0 << qint64(0);
        QTest::newRow("IPv6 loopback") << QByteArray("Host: [::1]:3456\r\n") << 0 << qint64(0);
        QTest::newRow("no host") << QByteArray() << 421 << qint64(0);
        QTest::newRow("forged host") << QByteArray("Host: evil.example:3456\r\n") << 421 << qint64(0);
        QTest::newRow("rebinding name")
            << QByteArray("Host: 127.0.0.1.evil.example:3456\r\n") << 421 << qint64(0);
        QTest::newRow("host without port") << QByteArray("Host: 127.0.0.1\r\n") << 421 << qint64(0);
        QTest::newRow("other port") << QByteArray("Host: 127.0.0.1:80\r\n") << 421 << qint64(0);
        QTest::newRow("origin") << QByteArray("Host: 127.0.0.1:3456\r\nOrigin: http://127.0.0.1:3456\r\n")
                                << 403 << qint64(0);
        QTest::newRow("null origin") << QByteArray("Host: 127.0.0.1:3456\r\nOrigin: null\r\n") << 403
                                     << qint64(0);
        QTest::newRow("fetch metadata")
            << QByteArray("Host: 127.0.0.1:3456\r\nSec-Fetch-Mode: no-cors\r\n") << 403 << qint64(0);
        QTest::newRow("json body") << QByteArray("Host: 127.0.0.1:3456\r\nContent-Type: application/json; "
                                                 "charset=utf-8\r\nContent-Length: 7\r\n")
                                   << 0 << qint64(7);
        QTest::newRow("text body")
            << QByteArray("Host: 127.0.0.1:3456\r\nContent-Type: text/plain\r\nContent-Length: 7\r\n") << 415
            << qint64(0);
        QTest::newRow("body without type")
            << QByteArray("Host: 127.0.0.1:3456\r\nContent-Length: 7\r\n") << 415 << qint64(0);
        QTest::newRow("empty text body")
            << QByteArray("Host: 127.0.0.1:3456\r\nContent-Type: text/plain\r\nContent-Length: 0\r\n") << 0
            << qint64(0);
        QTest::newRow("largest body")
            << QByteArray(
                   "Host: 127.0.0.1:3456\r\nContent-Type: application/json\r\nContent-Length: 262144\r\n")
            << 0 << qint64(262144);
        QTest::newRow("oversized body")
            << QByteArray(
                   "Host: 127.0.0.1:3456\r\nContent-Type: application/json\r\nContent-Length: 262145\r\n")
            << 413 << qint64(0);
        QTest::newRow("chunked body")
            << QByteArray(
                   "Host: 127.0.0.1:3456\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n")
            << 411 << qint64(0);
        QTest::newRow("signed length")
            << QByteArray("Host: 127.0.0.1:3456\r\nContent-Type: application/json\r\nContent-Length: -1\r\n")
            << 400 << qint64(0);
    }

    void policy()
    {
        QFETCH(QByteArray, headers);
        QFETCH(int, status);
        QFETCH(qint64, bodyBytes);
        const auto parsed = RequestHeadParser::parse("POST /api/command HTTP/1.1\r\n" + headers + "\r\n");
        QVERIFY(parsed.request);
        qint64 expected = -1;
        const auto refusal = RequestPolicy::check(*parsed.request, 3456, expected);
        QCOMPARE(refusal ? refusal->status : 0, status);
        QCOMPARE(expected, bodyBytes);
        if (refusal)
            QVERIFY(refusal->body.contains("\"success\":false"));
    }

    void findsSocketOwner_data()
    {
        // Captured from a machine where uid 1000 connected from port 0xE7FE to a server on 0x0DA0.
        const QByteArray table =
            "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout "
            "inode\n"
            "   0: 0100007F:0DA0 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 1218 "
            "1\n"
            "   1: 0100007F:E7FE 0100007F:0DA0 01 00000000:00000000 00:00000000 00000000  1000        0 5541 "
            "1\n"
            "   2: 0100007F:0DA0 0100007F:E7FE 01 00000000:00000000 00:00000000 00000000     0        0 5542 "
            "1\n"
            "   3: 0100007F:C001 0100007F:0DA0 06 00000000:00000000 03:00000F12 00000000     0        0 0 3\n"
            "   4: 0200007F:E7FE 0100007F:0DA0 01 00000000:00000000 00:00000000 00000000    33        0 5543 "
            "1\n";
        QTest::addColumn<QByteArray>("tableText");
        QTest::addColumn<quint32>("clientAddress");
        QTest::addColumn<int>("clientPort");
        QTest::addColumn<int>("owner"); // -1: not found
        QTest::newRow("client socket") << table << quint32(0x7F000001) << 0xE7FE << 1000;
        QTest::newRow("other loopback address") << table << quint32(0x7F000002) << 0xE7FE << 33;
        QTest::newRow("time-wait has no owner") << table << quint32(0x7F000001) << 0xC001 << -1;
        QTest::newRow("unknown port") << table << quint32(0x7F000001) << 0x1234 << -1;
    }

    void findsSocketOwner()
    {
        QFETCH(QByteArray, tableText);
        QFETCH(quint32, clientAddress);
        QFETCH(int, clientPort);
        QFETCH(int, owner);
        const auto found =
            TcpSocketOwner::findOwner(tableText, {clientAddress, quint16(clientPort), 0x7F000001, 0x0DA0});
        QCOMPARE(found ? int(*found) : -1, owner);
    }
};

QTEST_GUILESS_MAIN(HttpRequestsTest)
#include "tst_httprequests.moc"
