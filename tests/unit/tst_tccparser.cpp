#include "monitor/LogStream.h"
#include "monitor/TccLineParser.h"

#include <QTest>

using TccLineParser::parseTCCLine;

class TccParserTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void logStreamArgumentsAreExact()
    {
        const QStringList expected{
            "stream", "--predicate",
            R"(process == "tccd" AND (message CONTAINS "kTCCServiceCamera" OR message CONTAINS "kTCCServiceMicrophone" OR message CONTAINS "kTCCServiceLocation" OR message CONTAINS "kTCCServiceLiveLocation"))",
            "--style", "compact"};
        QCOMPARE(TccLineParser::logStreamArguments(), expected);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("type"); // empty: no access
        QTest::addColumn<QString>("app");
        const QString zoom = QStringLiteral(" attributedBundleIdentifier=us.zoom.xos");
        QTest::newRow("camera") << "tccd: AUTHREQ kTCCServiceCamera" + zoom << "camera"
                                << "Xos";
        QTest::newRow("microphone") << "kTCCServiceMicrophone" + zoom << "microphone"
                                    << "Xos";
        QTest::newRow("location") << "kTCCServiceLocation" + zoom << "location"
                                  << "Xos";
        QTest::newRow("live location only") << "kTCCServiceLiveLocation" + zoom << "location"
                                            << "Xos";
        QTest::newRow("camera wins over microphone")
            << "kTCCServiceMicrophone kTCCServiceCamera" + zoom << "camera"
            << "Xos";
        QTest::newRow("service test is case-sensitive") << "ktccservicecamera" + zoom << ""
                                                        << "";
        QTest::newRow("no service") << "tccd: something else" + zoom << ""
                                    << "";
        QTest::newRow("deny dropped") << "kTCCServiceCamera DENY" + zoom << ""
                                      << "";
        QTest::newRow("undeny kept") << "kTCCServiceCamera UnDeny" + zoom << "camera"
                                     << "Xos";
        QTest::newRow("denied is not deny") << "kTCCServiceCamera denied" + zoom << "camera"
                                            << "Xos";
        QTest::newRow("no identifier") << "kTCCServiceCamera request"
                                       << "camera"
                                       << "Unknown App";
        QTest::newRow("only tccd identifier") << "kTCCServiceCamera com.apple.tccd"
                                              << "camera"
                                              << "Unknown App";
        QTest::newRow("identifier ending in tccd dropped") << "kTCCServiceCamera identifier foo.tccd"
                                                           << ""
                                                           << "";
        QTest::newRow("blank") << " \t "
                               << ""
                               << "";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }

    void parse()
    {
        QFETCH(QString, line);
        QFETCH(QString, type);
        QFETCH(QString, app);
        const auto access = parseTCCLine(line);
        QCOMPARE(access.has_value(), !type.isEmpty());
        if (access) {
            QCOMPARE(access->type, type);
            QCOMPARE(access->app, app);
        }
    }

    void detailsAreTheTrimmedLineCutAt300Characters()
    {
        const QString shortLine = QStringLiteral("kTCCServiceCamera identifier com.a.Zoom");
        QCOMPARE(parseTCCLine(QStringLiteral("\t  ") + shortLine + QStringLiteral("  "))->details, shortLine);

        // Emoji count as one character each; a flag of two code points too.
        const QString prefix = shortLine + QLatin1Char(' ');
        QString tail;
        for (int i = 0; i < 400; ++i)
            tail += QStringLiteral("😀");
        const QString details = parseTCCLine(prefix + tail)->details;
        QCOMPARE(details, prefix + tail.left((300 - prefix.size()) * 2));
        const QString flags = prefix + QString(QStringLiteral("🇫🇷")).repeated(300);
        QCOMPARE(parseTCCLine(flags)->details,
                 prefix + QString(QStringLiteral("🇫🇷")).repeated(300 - prefix.size()));
    }

    void extractAppName_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("app");
        QTest::newRow("attributed") << "x attributedBundleIdentifier=us.zoom.xos y"
                                    << "Xos";
        QTest::newRow("attributed spaced, any case") << "ATTRIBUTEDBUNDLEIDENTIFIER = org.Mozilla.FireFox"
                                                     << "Firefox";
        QTest::newRow("attributed too short falls through")
            << "attributedBundleIdentifier=ab identifier com.x.Slack"
            << "Slack";
        QTest::newRow("com identifier") << "client com.google.Chrome asked"
                                        << "Chrome";
        QTest::newRow("com.apple.tccd skipped by lookahead") << "com.apple.tccd then com.microsoft.teams"
                                                             << "Teams";
        QTest::newRow("lookahead rejects a com.apple.tccd prefix") << "com.apple.tccd.x"
                                                                   << "Unknown App";
        QTest::newRow("first com match only") << "com.zoom.us and com.slack.Slack"
                                              << "Us";
        QTest::newRow("identifier pattern") << "identifier MyTool"
                                            << "Mytool";
        QTest::newRow("tccd capture goes to next pattern")
            << "attributedBundleIdentifier=com.apple.tccd identifier us.zoom.xos"
            << "Xos";
        QTest::newRow("unicode word characters") << "identifier com.exämple.Café"
                                                 << "Café";
        QTest::newRow("nothing") << "kTCCServiceCamera"
                                 << "Unknown App";
    }

    void extractAppName()
    {
        QFETCH(QString, line);
        QFETCH(QString, app);
        QCOMPARE(TccLineParser::extractAppName(line), app);
    }

    void typeAction_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("camera") << "camera"
                                << "just turned on your camera";
        QTest::newRow("microphone") << "microphone"
                                    << "just turned on your microphone";
        QTest::newRow("location") << "location"
                                  << "just checked your location";
        QTest::newRow("case-sensitive") << "Camera"
                                        << "accessed your Camera";
        QTest::newRow("other") << "network"
                               << "accessed your network";
    }

    void typeAction()
    {
        QFETCH(QString, type);
        QFETCH(QString, phrase);
        QCOMPARE(TccLineParser::typeAction(type), phrase);
    }

    void capitalized()
    {
        QCOMPARE(TccLineParser::capitalized("hELLO wORLD\tfoo\nbar"),
                 QStringLiteral("Hello World\tFoo\nBar"));
        QCOMPARE(TccLineParser::capitalized("éCOLE"), QStringLiteral("École"));
        QCOMPARE(TccLineParser::capitalized(""), QString());
    }

    void chunks_data()
    {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("two lines") << QByteArray("a\nb\n") << QStringList{"a", "b", ""};
        QTest::newRow("cut line") << QByteArray("a\nhalf") << QStringList{"a", "half"};
        QTest::newRow("not UTF-8") << QByteArray("ok\n\xff\xfe\n") << QStringList{};
        QTest::newRow("cut multibyte character") << QByteArray("caf\xc3") << QStringList{};
        QTest::newRow("NUL byte") << QByteArray("a\0b\n", 4) << QStringList{QString::fromUtf8("a\0b", 3), ""};
        QTest::newRow("empty read") << QByteArray() << QStringList{};
    }

    void chunks()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(QStringList, pieces);
        QCOMPARE(LogStream::splitChunk(chunk), pieces);
    }

    void hugeLineWithoutLineFeed()
    {
        const QByteArray chunk = "kTCCServiceCamera identifier com.a.Zoom " + QByteArray(1 << 20, 'x');
        const QStringList pieces = LogStream::splitChunk(chunk);
        QCOMPARE(pieces.size(), 1);
        const auto access = parseTCCLine(pieces.first());
        QVERIFY(access);
        QCOMPARE(access->app, QStringLiteral("Zoom"));
        QCOMPARE(access->details.size(), 300);
    }
};

QTEST_GUILESS_MAIN(TccParserTest)
#include "tst_tccparser.moc"
