#include "app/BackendCheck.h"
#include "backend/HalvexClient.h"
#include "fakes/FakeHttpServer.h"
#include "platform/Settings.h"
#include "support/Awaited.h"
#include "support/LoopbackPort.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QTest>

using Reply = FakeHttpServer::Reply;

namespace {

Reply backendAnswer(const FakeHttpServer::Request& request)
{
    if (request.path() == "/api/status")
        return Reply{200, R"({"status":"ok"})"};
    if (request.path() == "/api/stats")
        return Reply{200, R"({"total":7,"today":2,"last24h":3,"byType":{"camera":7},"byApp":{"Zoom":7}})"};
    if (request.path() == "/api/config/bot-info")
        return Reply{200, R"({"botUsername":"halvex_bot","configured":true})"};
    return Reply{404, "{}"};
}

const QStringList answeredLines{
    "Status: connected",
    R"(Stats: {"byApp":{"Zoom":7},"byType":{"camera":7},"last24h":3,"today":2,"total":7})",
    R"(Telegram: {"botUsername":"halvex_bot","configured":true})"};

const QStringList failedLines{"Status: not reachable", "Stats: none", "Telegram: none"};

} // namespace

class BackendCheckTest : public QObject
{
    Q_OBJECT
    TemporaryHome m_home;
    FakeHttpServer m_server;

    QString baseFor(bool running) const
    {
        return running ? m_server.baseUrl() : QStringLiteral("http://127.0.0.1:%1").arg(closedLoopbackPort());
    }

private Q_SLOTS:
    void init() { m_server.setHandler(&backendAnswer); }

    void reportsWhatTheClientDecoded_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("backend answers") << true;
        QTest::newRow("nothing listens") << false;
    }

    void reportsWhatTheClientDecoded()
    {
        QFETCH(bool, running);
        const QString base = baseFor(running);
        Settings().setValue(SettingsKey::serverURL, base);
        HalvexClient client;
        Awaited<BackendCheck::Report> report;
        BackendCheck::collect(client, report.context(), report.callback());
        QVERIFY(report.wait());
        QCOMPARE(report.value().connected, running);
        QCOMPARE(report.value().lines,
                 QStringList{"Backend: " + base} + (running ? answeredLines : failedLines));
    }

    void commandLine_data() { reportsWhatTheClientDecoded_data(); }

    void commandLine()
    {
        QFETCH(bool, running);
        const QString base = baseFor(running);
        // The child shares this test's home, so it reads the same settings file.
        Settings().setValue(SettingsKey::serverURL, base);
        QProcess halvex;
        halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), {"--check-backend"});
        // The fake backend answers from this event loop, so wait without blocking it.
        QTRY_VERIFY_WITH_TIMEOUT(halvex.state() == QProcess::NotRunning, 20000);
        QCOMPARE(halvex.exitStatus(), QProcess::NormalExit);
        QCOMPARE(halvex.exitCode(), running ? 0 : 1);
        const QStringList lines =
            QString::fromUtf8(halvex.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines, QStringList{"Backend: " + base} + (running ? answeredLines : failedLines));
        const QString errors = QString::fromUtf8(halvex.readAllStandardError());
        if (!running) {
            QVERIFY2(errors.contains("Status check failed: Connection refused"), qPrintable(errors));
            QVERIFY2(errors.contains("Error fetching stats: Connection refused"), qPrintable(errors));
        }
    }
};

QTEST_GUILESS_MAIN(BackendCheckTest)
#include "tst_backendcheck.moc"
