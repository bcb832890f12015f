#include "support/TestEnvironment.h"

#include <QProcess>
#include <QTest>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString standardOutput;
    QStringList errorLines;
};

// The program run to its end; one that keeps running (a tray or a service started by mistake) is
// killed and reads as a failure.
Outcome run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(HALVEX_BINARY_DIR) + program, arguments);
    Outcome outcome;
    if (!process.waitForStarted())
        return outcome;
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished(5000);
        return outcome;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        outcome.exitCode = process.exitCode();
    outcome.standardOutput = QString::fromUtf8(process.readAllStandardOutput());
    outcome.errorLines = QString::fromUtf8(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    return outcome;
}

const QString halvex = QStringLiteral("/src/halvex");
const QString halvexd = QStringLiteral("/server/halvexd");

} // namespace

// Both programs as a shell user meets them: what they refuse, and how they say it.
class CommandLinesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home.emplace(); }
    void cleanup() { m_home.reset(); }

    void refusedWithReasonAndUsage_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("halvex unknown option")
            << halvex << QStringList{"--bogus"} << "halvex: unknown option '--bogus'";
        QTest::newRow("halvex unknown command")
            << halvex << QStringList{"rule", "list"} << "halvex: unknown command 'rule'";
        QTest::newRow("halvex headless with a stray word")
            << halvex << QStringList{"--headless", "extra"} << "halvex: unknown command 'extra'";
        QTest::newRow("halvexd unknown option")
            << halvexd << QStringList{"--bogus"} << "halvexd: unknown option '--bogus'";
        QTest::newRow("halvexd port out of range")
            << halvexd << QStringList{"--port", "70000"} << "halvexd: invalid port '70000'";
        QTest::newRow("halvexd stray word")
            << halvexd << QStringList{"start"} << "halvexd: unexpected argument 'start'";
    }

    void refusedWithReasonAndUsage()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        const Outcome outcome = run(program, arguments);
        QCOMPARE(outcome.exitCode, 2);
        QVERIFY(!outcome.errorLines.isEmpty());
        QCOMPARE(outcome.errorLines.first(), reason);
        QVERIFY2(outcome.errorLines.value(1).startsWith(QLatin1String("Usage: ")),
                 qPrintable(outcome.errorLines.join('\n')));
        QVERIFY(outcome.standardOutput.isEmpty());
    }

    void versionAndHelp_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("halvex --version") << halvex << QStringList{"--version"} << "halvex " HALVEX_VERSION;
        QTest::newRow("halvexd --version")
            << halvexd << QStringList{"--version"} << "halvexd " HALVEX_VERSION;
        QTest::newRow("halvex --help")
            << halvex << QStringList{"--help"} << "Usage: halvex [--headless] [--dashboard] [--no-journal]";
        QTest::newRow("halvex telegram-setup --help")
            << halvex << QStringList{"telegram-setup", "--help"}
            << "Usage: halvex [--headless] [--dashboard] [--no-journal]";
        QTest::newRow("halvexd --help")
            << halvexd << QStringList{"-h"}
            << "Usage: halvexd [--port PORT] [--workdir DIR] [--request-timeout SECONDS]";
    }

    void versionAndHelp()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, firstLine);
        const Outcome outcome = run(program, arguments);
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(outcome.standardOutput.section('\n', 0, 0), firstLine);
        QVERIFY2(outcome.errorLines.isEmpty(), qPrintable(outcome.errorLines.join('\n')));
    }

private:
    std::optional<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(CommandLinesTest)
#include "tst_commandlines.moc"
