#include "model/SecurityAlert.h"
#include "monitor/AlertsFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

#include <csignal>

// `halvex --headless` as a user runs it: a real process, a fake log tool, a private home.
class HeadlessTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void printsAlertsAsJsonLinesAndStopsOnSignal_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }

    void printsAlertsAsJsonLinesAndStopsOnSignal()
    {
        QFETCH(int, signalNumber);
        TemporaryHome home;
        QDir().mkpath(home.dataDirectory());
        const QList<SecurityAlert> earlier{
            {"camera", "Newer", "", "2025-03-01T09:00:01.000Z", std::nullopt},
            {"microphone", "Older", "", "2025-03-01T09:00:00.000Z", QStringLiteral("d")}};
        QVERIFY(AlertsFile::write(home.dataDirectory() + "/alerts.json", AlertsFile::encode(earlier)));

        FakeTool log("HALVEX_TOOL_LOG");
        const QString pidFile = home.path() + "/log.pid";
        log.setScriptBody(QStringLiteral("echo $$ > '%1'\nsleep 0.5\nprintf 'kTCCServiceCamera "
                                         "attributedBundleIdentifier=us.zoom.xos\\n'\nexec sleep 60\n")
                              .arg(pidFile));
        FakeTool osascript("HALVEX_TOOL_OSASCRIPT");

        QProcess halvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HALVEX_PLATFORM", "macos");
        halvex.setProcessEnvironment(environment);
        halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), {"--headless"});
        QVERIFY(halvex.waitForStarted());

        QByteArray output;
        QVERIFY(QTest::qWaitFor(
            [&] {
                output += halvex.readAllStandardOutput();
                return output.count('\n') >= 3;
            },
            15000));
        const QList<QByteArray> lines = output.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(SecurityAlert::fromJson(QJsonDocument::fromJson(lines[0]).object()), earlier[1]);
        QCOMPARE(SecurityAlert::fromJson(QJsonDocument::fromJson(lines[1]).object()), earlier[0]);
        const auto live = SecurityAlert::fromJson(QJsonDocument::fromJson(lines[2]).object());
        QVERIFY(live);
        QCOMPARE(live->app, QStringLiteral("Xos"));
        QCOMPARE(live->type, QStringLiteral("camera"));

        ::kill(pid_t(halvex.processId()), signalNumber);
        QVERIFY(halvex.waitForFinished(10000));
        QCOMPARE(halvex.exitStatus(), QProcess::NormalExit);
        QCOMPARE(halvex.exitCode(), 0);
        QVERIFY(QString::fromUtf8(halvex.readAllStandardError()).contains("headless"));

        QFile pid(pidFile);
        QVERIFY(pid.open(QIODevice::ReadOnly));
        const pid_t logPid = pid_t(pid.readAll().trimmed().toLongLong());
        QVERIFY(QTest::qWaitFor([&] { return ::kill(logPid, 0) != 0; }, 5000));

        const QList<SecurityAlert> stored = AlertsFile::load(home.dataDirectory() + "/alerts.json");
        QCOMPARE(stored.size(), 3);
        QCOMPARE(stored.first(), *live);
    }
};

QTEST_GUILESS_MAIN(HeadlessTest)
#include "tst_headless.moc"
