#include "platform/HttpUrl.h"

#include <QTest>

class HttpUrlTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parseBase_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("loopback with port") << "http://127.0.0.1:3456" << true;
        QTest::newRow("https with path") << "https://example.org/base/" << true;
        QTest::newRow("upper-case scheme") << "HTTP://localhost:8080" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("words with spaces") << "not a url" << false;
        QTest::newRow("relative word") << "garbage" << false;
        QTest::newRow("host and port without scheme") << "localhost:3000" << false;
        QTest::newRow("file URL") << "file:///etc/passwd" << false;
        QTest::newRow("scheme without host") << "http:///api" << false;
    }

    void parseBase()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(HttpUrl::parseBase(text).has_value(), accepted);
    }

    void appendPath_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no base path") << "http://127.0.0.1:3456"
                                      << "api/status"
                                      << "http://127.0.0.1:3456/api/status";
        QTest::newRow("base path kept") << "http://h:1/prefix"
                                        << "api/status"
                                        << "http://h:1/prefix/api/status";
        QTest::newRow("trailing slash") << "http://h:1/prefix/"
                                        << "api/status"
                                        << "http://h:1/prefix/api/status";
        QTest::newRow("escaped segment kept") << "http://h:1"
                                              << "api/custom-skills/a%2Fb%20c"
                                              << "http://h:1/api/custom-skills/a%2Fb%20c";
    }

    void appendPath()
    {
        QFETCH(QString, base);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromLatin1(HttpUrl::appendPath(QUrl(base), path).toEncoded()), expected);
    }

    void escapedSegment_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::newRow("plain") << "port-scan"
                               << "port-scan";
        QTest::newRow("spaces") << "my skill"
                                << "my%20skill";
        QTest::newRow("delimiters") << "a/b?c#d%"
                                    << "a%2Fb%3Fc%23d%25";
        QTest::newRow("non-ASCII") << "é"
                                   << "%C3%A9";
        QTest::newRow("dot inside") << "v1.2"
                                    << "v1.2";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("dot") << "."
                             << "";
        QTest::newRow("dot dot") << ".."
                                 << "";
    }

    void escapedSegment()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto segment = HttpUrl::escapedSegment(text);
        QCOMPARE(segment.value_or(QString()), expected);
        QCOMPARE(segment.has_value(), !expected.isEmpty());
    }
};

QTEST_GUILESS_MAIN(HttpUrlTest)
#include "tst_httpurl.moc"
