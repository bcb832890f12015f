#include "support/TestEnvironment.h"

#include <QProcess>
#include <QTest>

#include <csignal>

// The tray application as a user starts it (offscreen display), and its clean quit.
class TrayAppTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startsAndQuitsCleanly()
    {
        TemporaryHome home;
        QProcess halvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HALVEX_PLATFORM", "linux");
        environment.remove("HALVEX_VENDOR_URL");
        halvex.setProcessEnvironment(environment);
        halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"));
        QVERIFY(halvex.waitForStarted());
        QTest::qWait(1500); // the set-up window opens 0.3 s after launch on a first run
        QCOMPARE(halvex.state(), QProcess::Running);
        ::kill(pid_t(halvex.processId()), SIGTERM);
        QVERIFY(halvex.waitForFinished(10000));
        QCOMPARE(halvex.exitStatus(), QProcess::NormalExit);
        QCOMPARE(halvex.exitCode(), 0);
        const QByteArray errors = halvex.readAllStandardError();
        QVERIFY2(!errors.contains("Sanitizer"), errors.constData());
    }
};

QTEST_GUILESS_MAIN(TrayAppTest)
#include "tst_trayapp.moc"
