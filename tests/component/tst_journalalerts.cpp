#include "model/SecurityAlert.h"
#include "monitor/AlertJournal.h"
#include "monitor/AlertsFile.h"
#include "monitor/MonitorEngine.h"
#include "platform/Notifier.h"
#include "platform/Settings.h"
#include "platform/SystemJournal.h"
#include "support/JournalReceiver.h"
#include "support/PrivateJournalDirectory.h"
#include "support/TestEnvironment.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString cameraLine = QStringLiteral("kTCCServiceCamera attributedBundleIdentifier=us.zoom.xos");

struct HeadlessRun
{
    std::optional<SecurityAlert> alert; // the live alert it printed
    int exitCode = -1;
};

// `halvex --headless` on the macOS sources, fed one camera access by a fake log tool: it runs until the
// alert is printed, then SIGTERM ends it. Once it has exited, everything it sent the journal is there.
HeadlessRun runUntilAlerted(const QStringList& arguments)
{
    FakeTool log(QStringLiteral("HALVEX_TOOL_LOG"));
    log.setScriptBody(QStringLiteral("printf '%s\\n' '%1'\nexec sleep 60\n").arg(cameraLine));
    FakeTool osascript(QStringLiteral("HALVEX_TOOL_OSASCRIPT"));
    FakeTool pgrep(QStringLiteral("HALVEX_TOOL_PGREP"), {}, 1);
    FakeTool ps(QStringLiteral("HALVEX_TOOL_PS"));

    QProcess halvex;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HALVEX_PLATFORM"), QStringLiteral("macos"));
    halvex.setProcessEnvironment(environment);
    halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), arguments);
    HeadlessRun run;
    if (!halvex.waitForStarted())
        return run;
    QByteArray output;
    const bool printed = QTest::qWaitFor(
        [&] {
            output += halvex.readAllStandardOutput();
            return output.contains('\n');
        },
        15000);
    if (printed)
        run.alert =
            SecurityAlert::fromJson(QJsonDocument::fromJson(output.left(output.indexOf('\n'))).object());
    ::kill(pid_t(halvex.processId()), SIGTERM);
    if (!halvex.waitForFinished(10000))
        halvex.kill();
    halvex.waitForFinished(5000);
    if (halvex.exitStatus() == QProcess::NormalExit)
        run.exitCode = halvex.exitCode();
    return run;
}

// A socket file that nobody reads: what a journal that died leaves behind.
bool leaveDeadSocket(const QByteArray& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

} // namespace

// What halvex sends the systemd journal, received where journald would: each test process gets a
// mount namespace of its own whose /run/systemd/journal holds the test's socket, or nothing at all.
class JournalAlertsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!SystemJournal::isBuiltIn())
            QSKIP("built without libsystemd: halvex sends nothing to the journal");
        if (::geteuid() != 0)
            QSKIP("a mount namespace of the test's own needs root");
        const QString failed = PrivateJournalDirectory::enter();
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }

    void dangerousCameraAccessIsAJournalEntry()
    {
        TemporaryHome home;
        JournalReceiver journal(QLatin1String(SystemJournal::socketPath));
        QVERIFY(journal.isListening());

        const HeadlessRun run = runUntilAlerted({QStringLiteral("--headless")});
        QVERIFY(run.alert);
        QCOMPARE(run.exitCode, 0);
        QTRY_COMPARE(journal.entries().size(), 1);
        const JournalReceiver::Fields entry = journal.entries().first();
        QCOMPARE(entry.value("MESSAGE"), QByteArray("Xos is using your camera"));
        QCOMPARE(entry.value("PRIORITY"), QByteArray("4"));
        QCOMPARE(entry.value("MESSAGE_ID"), QByteArray("832f6fea51244b228bbf1345db1e6aa2"));
        QCOMPARE(entry.value("SYSLOG_IDENTIFIER"), QByteArray("halvex"));
        QCOMPARE(entry.value("HALVEX_TYPE"), QByteArray("camera"));
        QCOMPARE(entry.value("HALVEX_APP"), QByteArray("Xos"));
        QCOMPARE(entry.value("HALVEX_RISK"), QByteArray("danger"));
        QCOMPARE(entry.value("HALVEX_TIMESTAMP"), run.alert->timestamp.toUtf8());
        QCOMPARE(journal.malformed(), 0);
    }

    void switchesDecideWhetherTheJournalGetsIt_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QVariant>("setting"); // invalid: not set
        QTest::addColumn<int>("entries");
        QTest::newRow("on by default") << QStringList{"--headless"} << QVariant() << 1;
        QTest::newRow("setting on") << QStringList{"--headless"} << QVariant(true) << 1;
        QTest::newRow("setting off") << QStringList{"--headless"} << QVariant(false) << 0;
        QTest::newRow("--no-journal") << QStringList{"--headless", "--no-journal"} << QVariant() << 0;
        QTest::newRow("--no-journal beats the setting")
            << QStringList{"--no-journal", "--headless"} << QVariant(true) << 0;
    }

    void switchesDecideWhetherTheJournalGetsIt()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QVariant, setting);
        QFETCH(int, entries);
        TemporaryHome home;
        if (setting.isValid())
            Settings().setValue(SettingsKey::journalAlerts, setting);
        JournalReceiver journal(QLatin1String(SystemJournal::socketPath));
        QVERIFY(journal.isListening());

        const HeadlessRun run = runUntilAlerted(arguments);
        QVERIFY(run.alert);
        QCOMPARE(run.exitCode, 0);
        // The program has exited, and it hands its last entries over before it does.
        QCOMPARE(journal.entries().size(), entries);
    }

    // A machine without a journal, or whose journal died, runs exactly as before: the alert is printed,
    // stored, and SIGTERM ends the run with status 0.
    void noJournalChangesNothing_data()
    {
        QTest::addColumn<bool>("deadSocket");
        QTest::newRow("no socket") << false;
        QTest::newRow("a socket nobody reads") << true;
    }

    void noJournalChangesNothing()
    {
        QFETCH(bool, deadSocket);
        TemporaryHome home;
        const QByteArray socket(SystemJournal::socketPath);
        ::unlink(socket.constData());
        if (deadSocket)
            QVERIFY(leaveDeadSocket(socket));

        const HeadlessRun run = runUntilAlerted({QStringLiteral("--headless")});
        ::unlink(socket.constData());
        QVERIFY(run.alert);
        QCOMPARE(run.alert->app, QStringLiteral("Xos"));
        QCOMPARE(run.exitCode, 0);
        const QList<SecurityAlert> stored = AlertsFile::load(home.dataDirectory() + "/alerts.json");
        QCOMPARE(stored, QList<SecurityAlert>{*run.alert});
    }

    // The journal gets what the engine stores: a repeat within the cool-down is no entry.
    void coolDownHoldsBackTheJournalToo()
    {
        TemporaryHome home;
        JournalReceiver journal(QLatin1String(SystemJournal::socketPath));
        QVERIFY(journal.isListening());
        QDateTime now = QDateTime::fromString(QStringLiteral("2026-12-10T09:00:00Z"), Qt::ISODate);
        {
            MonitorEngine engine(false, nullptr, [&now] { return now; });
            engine.setSources({});
            engine.setAlertJournal(std::make_unique<AlertJournal>());
            engine.recordAlert(QStringLiteral("camera"), QStringLiteral("Recorder"), std::nullopt);
            now = now.addSecs(10);
            engine.recordAlert(QStringLiteral("camera"), QStringLiteral("Recorder"), std::nullopt);
            now = now.addSecs(21);
            engine.recordAlert(QStringLiteral("camera"), QStringLiteral("Recorder"), std::nullopt);
            QCOMPARE(engine.alerts().size(), 2);
            engine.alertsWriter().waitForIdle();
        }
        const QList<JournalReceiver::Fields> entries = journal.entries();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].value("HALVEX_TIMESTAMP"), QByteArray("2026-12-10T09:00:00.000Z"));
        QCOMPARE(entries[1].value("HALVEX_TIMESTAMP"), QByteArray("2026-12-10T09:00:31.000Z"));
    }
};

QTEST_GUILESS_MAIN(JournalAlertsTest)
#include "tst_journalalerts.moc"
