#include "monitor/MonitorEngine.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>

namespace {

bool processExists(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}

qint64 readPid(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().trimmed().toLongLong();
}

QStringList apps(const QList<SecurityAlert>& alerts)
{
    QStringList result;
    for (const SecurityAlert& alert : alerts)
        result << alert.type + QLatin1Char(':') + alert.app;
    return result;
}

} // namespace

// The engine's log stream against a fake "log" tool that prints tccd lines in separate chunks.
class LogStreamTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        qputenv("HALVEX_PLATFORM", "macos");
        m_osascript = std::make_unique<FakeTool>("HALVEX_TOOL_OSASCRIPT");
        m_pidFile = m_home->path() + "/log.pid";
    }

    void cleanup()
    {
        m_osascript.reset();
        qunsetenv("HALVEX_PLATFORM");
        m_home.reset();
    }

    void streamsRecognisedLinesIntoAlerts()
    {
        FakeTool log("HALVEX_TOOL_LOG");
        log.setScriptBody(
            QStringLiteral("echo $$ > '%1'\n"
                           "printf 'kTCCServiceCamera attributedBundleIdentifier=us.zoom.xos\\n"
                           "kTCCServiceMicrophone DENY identifier com.a.B\\ntccd: nothing here\\n'\n"
                           "sleep 1; printf '\\377\\376 kTCCServiceLocation identifier com.x.Maps\\n'\n"
                           "sleep 1; printf 'kTCCServiceLocation identifi'\n"
                           "sleep 1; printf 'er com.apple.Maps\\n'\n"
                           "sleep 1; printf 'kTCCServiceMicrophone identifier com.skype.Skype\\n'\n"
                           "exec sleep 60\n")
                .arg(m_pidFile));
        MonitorEngine engine(false);
        engine.start();
        QVERIFY(engine.isMonitoring());
        QVERIFY(QTest::qWaitFor([&] { return engine.alerts().size() >= 3; }, 15000));
        QTest::qWait(200);
        // The cut line reaches the parser as two pieces: the first has the service but no identifier.
        QCOMPARE(apps(engine.alerts()),
                 (QStringList{"microphone:Skype", "location:Unknown App", "camera:Xos"}));
        QCOMPARE(engine.alerts().last().details,
                 QStringLiteral("kTCCServiceCamera attributedBundleIdentifier=us.zoom.xos"));

        const QStringList expectedArguments{
            "stream", "--predicate",
            "process == \"tccd\" AND (message CONTAINS \"kTCCServiceCamera\" OR message CONTAINS "
            "\"kTCCServiceMicrophone\" OR message CONTAINS \"kTCCServiceLocation\" OR message CONTAINS "
            "\"kTCCServiceLiveLocation\")",
            "--style", "compact"};
        QCOMPARE(log.calls(), (QList<QStringList>{expectedArguments}));

        const qint64 pid = readPid(m_pidFile);
        QVERIFY(processExists(pid));
        engine.stop();
        QVERIFY(!engine.isMonitoring());
        QVERIFY(QTest::qWaitFor([&] { return !processExists(pid); }, 5000));
    }

    void stopThenStartLaunchesANewStreamAndKeepsAlerts()
    {
        FakeTool log("HALVEX_TOOL_LOG");
        log.setScriptBody("printf 'kTCCServiceCamera identifier com.a.Zoom\\n'\nexec sleep 60\n");
        MonitorEngine engine(false);
        engine.start();
        QVERIFY(QTest::qWaitFor([&] { return engine.alerts().size() == 1; }, 10000));
        engine.stop();
        engine.start();
        QVERIFY(log.waitForCalls(2));
        QTest::qWait(300);
        // The second stream's line falls inside the 30-second cool-down: the first alert stays alone.
        QCOMPARE(engine.alerts().size(), 1);
        QVERIFY(engine.isMonitoring());
    }

    void missingLogToolIsReportedAndMonitoringGoesOn()
    {
        qputenv("HALVEX_TOOL_LOG", "/nonexistent/log");
        CapturedStdout output;
        MonitorEngine engine(false);
        engine.start();
        QVERIFY(QTest::qWaitFor([&] { return output.text().contains("\n"); }, 5000));
        qunsetenv("HALVEX_TOOL_LOG");
        const QStringList lines = output.text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith("[MonitorEngine] log stream failed: "), qPrintable(lines.first()));
        QVERIFY(lines.first().size() > QStringLiteral("[MonitorEngine] log stream failed: ").size());
        QVERIFY(engine.isMonitoring());
    }

    void engineGoneWhileStreamingDropsLines()
    {
        FakeTool log("HALVEX_TOOL_LOG");
        log.setScriptBody(
            QStringLiteral("echo $$ > '%1'\nwhile true; do printf 'kTCCServiceCamera identifier "
                           "com.a.Zoom\\n'; sleep 0.05; done\n")
                .arg(m_pidFile));
        {
            MonitorEngine engine(false);
            engine.start();
            QVERIFY(QTest::qWaitFor([&] { return !engine.alerts().isEmpty(); }, 10000));
        }
        QTest::qWait(200); // nothing may touch the destroyed engine
        const qint64 pid = readPid(m_pidFile);
        QVERIFY(QTest::qWaitFor([&] { return !processExists(pid); }, 5000));
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeTool> m_osascript;
    QString m_pidFile;
};

QTEST_GUILESS_MAIN(LogStreamTest)
#include "tst_logstream.moc"
