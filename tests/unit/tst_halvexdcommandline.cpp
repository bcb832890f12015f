#include "platform/CommandLineReply.h"
#include "service/HalvexdCommandLine.h"

#include <QTest>

using HalvexdCommandLine::Command;
using HalvexdCommandLine::Invocation;

namespace {

Invocation serving(quint16 port, std::optional<QString> workDir, double timeout)
{
    Invocation invocation;
    invocation.port = port;
    invocation.workDir = std::move(workDir);
    invocation.requestTimeoutSeconds = timeout;
    return invocation;
}

Invocation command(Command command)
{
    return CommandLineReply::only<Invocation>(command);
}

Invocation refusal(const QString& reason)
{
    return CommandLineReply::refused<Invocation>(reason);
}

} // namespace

class HalvexdCommandLineTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Invocation>("expected");
        QTest::newRow("defaults") << QStringList{} << serving(3456, std::nullopt, 10);
        QTest::newRow("every option")
            << QStringList{"--port", "4000", "--workdir", "/srv/h", "--request-timeout", "0.5"}
            << serving(4000, QStringLiteral("/srv/h"), 0.5);
        QTest::newRow("joined values")
            << QStringList{"--port=4001", "--workdir=/a=b", "--request-timeout=3600"}
            << serving(4001, QStringLiteral("/a=b"), 3600);
        QTest::newRow("the last one counts")
            << QStringList{"--port", "1", "--port", "65535"} << serving(65535, std::nullopt, 10);
        QTest::newRow("help") << QStringList{"--help"} << command(Command::Help);
        QTest::newRow("short help") << QStringList{"--port", "4000", "-h"} << command(Command::Help);
        QTest::newRow("version") << QStringList{"--version"} << command(Command::Version);
        QTest::newRow("short version") << QStringList{"-v"} << command(Command::Version);
        QTest::newRow("unknown option") << QStringList{"--bogus"} << refusal("unknown option '--bogus'");
        QTest::newRow("a word") << QStringList{"serve"} << refusal("unexpected argument 'serve'");
        QTest::newRow("port zero") << QStringList{"--port", "0"} << refusal("invalid port '0'");
        QTest::newRow("port too high") << QStringList{"--port", "65536"} << refusal("invalid port '65536'");
        QTest::newRow("port not a number") << QStringList{"--port", "http"} << refusal("invalid port 'http'");
        QTest::newRow("port joined empty") << QStringList{"--port="} << refusal("invalid port ''");
        QTest::newRow("port without value")
            << QStringList{"--port"} << refusal("option '--port' needs a value");
        QTest::newRow("timeout zero")
            << QStringList{"--request-timeout", "0"} << refusal("invalid request timeout '0'");
        QTest::newRow("timeout above an hour")
            << QStringList{"--request-timeout", "3601"} << refusal("invalid request timeout '3601'");
        QTest::newRow("timeout not a number")
            << QStringList{"--request-timeout", "nan"} << refusal("invalid request timeout 'nan'");
        QTest::newRow("empty work directory")
            << QStringList{"--workdir="} << refusal("option '--workdir' needs a directory");
        QTest::newRow("work directory missing")
            << QStringList{"--workdir"} << refusal("option '--workdir' needs a value");
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Invocation, expected);
        const Invocation parsed = HalvexdCommandLine::parse(arguments);
        QCOMPARE(parsed.refusal, expected.refusal);
        QCOMPARE(parsed, expected);
    }

    void textsNameEveryOption()
    {
        const QString usage = HalvexdCommandLine::usage();
        for (const char* word :
             {"--port PORT", "--workdir DIR", "--request-timeout SECONDS", "--help", "--version"})
            QVERIFY2(usage.contains(QLatin1String(word)), word);
        QVERIFY(HalvexdCommandLine::help().startsWith(usage));
        QCOMPARE(HalvexdCommandLine::versionText(), QStringLiteral("halvexd " HALVEX_VERSION));
    }
};

QTEST_GUILESS_MAIN(HalvexdCommandLineTest)
#include "tst_halvexdcommandline.moc"
