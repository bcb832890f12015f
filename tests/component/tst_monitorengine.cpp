#include "monitor/AccessSource.h"
#include "monitor/AlertNotice.h"
#include "monitor/AlertsFile.h"
#include "monitor/MonitorEngine.h"
#include "platform/OsascriptNotifier.h"
#include "support/RecordingNotifier.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QDateTime start(QDate(2025, 3, 1), QTime(9, 15, 42, 517), Qt::UTC);

QByteArray readFile(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

// A source that reports nothing by itself; tests emit its signals.
class SilentSource : public AccessSource
{
public:
    void start() override {}
    void stop() override {}
};

// An engine with a controllable clock, a recording notifier and no live sources.
struct EngineFixture
{
    EngineFixture()
        : notices(std::make_shared<QList<QStringList>>()),
          engine(false, std::make_unique<RecordingNotifier>(notices), [this] { return now; })
    {
        engine.setSources({});
    }

    QList<SecurityAlert> stored()
    {
        engine.alertsWriter().waitForIdle();
        return AlertsFile::load(engine.alertsPath());
    }

    QDateTime now = start;
    RecordingNotifier::Log notices;
    MonitorEngine engine;
};

// A source that reports what the test tells it to.
class ScriptedSource : public AccessSource
{
public:
    void start() override {}
    void stop() override {}
};

} // namespace

class MonitorEngineTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_home.reset(); }

    void recordsNewestFirstWithTimestampAndNotice()
    {
        EngineFixture f;
        f.engine.recordAlert("camera", "Xos", QStringLiteral("line"));
        f.now = start.addSecs(1);
        f.engine.recordAlert("microphone", "Zoom", std::nullopt);

        const QList<SecurityAlert> expected{
            {"microphone", "Zoom", "", "2025-03-01T09:15:43.517Z", std::nullopt},
            {"camera", "Xos", "", "2025-03-01T09:15:42.517Z", QStringLiteral("line")},
        };
        QCOMPARE(f.engine.alerts(), expected);
        QCOMPARE(f.stored(), expected);
        QCOMPARE(f.notices->size(), 2);
        QCOMPARE(f.notices->at(1),
                 (QStringList{"🎤 Microphone Access", "Zoom is using your microphone", expected[0].id()}));
    }

    void coolDownSuppressesRepeatsButNotTheDigest()
    {
        EngineFixture f;
        QSignalSpy digest(&f.engine, &MonitorEngine::accessDetected);
        f.engine.recordAlert("camera", "Xos", std::nullopt);
        f.now = start.addSecs(10);
        f.engine.recordAlert("camera", "XOS", std::nullopt);
        f.now = start.addMSecs(29999);
        f.engine.recordAlert("camera", "xos", std::nullopt);
        QCOMPARE(f.engine.alerts().size(), 1);
        f.now = start.addSecs(31);
        f.engine.recordAlert("camera", "Xos", std::nullopt);
        QCOMPARE(f.engine.alerts().size(), 2);
        QCOMPARE(f.notices->size(), 2);
        QCOMPARE(digest.size(), 4);
        QCOMPARE(digest.at(1), (QVariantList{"camera", "XOS", "XOS"}));
    }

    // The wall clock set back an hour (a time sync, a user) must not hold the cool-down for that hour.
    void coolDownRunsOnTheMonotonicClock()
    {
        EngineFixture f;
        qint64 monotonic = 1000;
        f.engine.setMonotonicClock([&monotonic] { return monotonic; });
        f.engine.recordAlert("camera", "Xos", std::nullopt);
        f.now = start.addSecs(-3600);
        monotonic += 10000;
        f.engine.recordAlert("camera", "Xos", std::nullopt);
        QCOMPARE(f.engine.alerts().size(), 1);
        monotonic += 21000;
        f.engine.recordAlert("camera", "Xos", std::nullopt);
        QCOMPARE(f.engine.alerts().size(), 2);
        QCOMPARE(f.notices->size(), 2);
    }

    // A source that cannot watch a type makes it unavailable with the source's reason until it works
    // again or the next start; a stopped engine pauses every watch.
    void watchStatesFollowTheSources()
    {
        EngineFixture f;
        auto* source = new SilentSource;
        f.engine.setSources({source});
        QSignalSpy changed(&f.engine, &MonitorEngine::watchStatesChanged);
        QCOMPARE(f.engine.watchState("camera"), MonitorEngine::WatchState::Paused);
        f.engine.start();
        QCOMPARE(f.engine.watchState("microphone"), MonitorEngine::WatchState::Monitored);
        Q_EMIT source->watchUnavailable("microphone", "pw-dump: not found; pactl: not found");
        QCOMPARE(changed.size(), 1);
        QCOMPARE(f.engine.watchState("microphone"), MonitorEngine::WatchState::Unavailable);
        QCOMPARE(f.engine.unavailableReason("microphone"), "pw-dump: not found; pactl: not found");
        QCOMPARE(f.engine.watchState("camera"), MonitorEngine::WatchState::Monitored);
        // A server that starts late brings the watch back without a restart.
        Q_EMIT source->watchAvailable("microphone");
        QCOMPARE(changed.size(), 2);
        QCOMPARE(f.engine.watchState("microphone"), MonitorEngine::WatchState::Monitored);
        Q_EMIT source->watchAvailable("microphone");
        QCOMPARE(changed.size(), 2);
        Q_EMIT source->watchUnavailable("microphone", "pw-dump: not found; pactl: not found");
        f.engine.stop();
        QCOMPARE(f.engine.watchState("camera"), MonitorEngine::WatchState::Paused);
        f.engine.start();
        QCOMPARE(f.engine.watchState("microphone"), MonitorEngine::WatchState::Monitored);
        QCOMPARE(f.engine.unavailableReason("microphone"), QString());
    }

    void coolDownKeys_data()
    {
        QTest::addColumn<QString>("firstType");
        QTest::addColumn<QString>("firstApp");
        QTest::addColumn<QString>("secondType");
        QTest::addColumn<QString>("secondApp");
        QTest::addColumn<int>("stored");
        QTest::newRow("type case kept") << "Camera"
                                        << "Zoom"
                                        << "camera"
                                        << "Zoom" << 2;
        QTest::newRow("unknown names share a key") << "camera"
                                                   << "Unknown App"
                                                   << "camera"
                                                   << "unknown" << 1;
        QTest::newRow("unknown per type") << "camera"
                                          << "Unknown App"
                                          << "microphone"
                                          << "unknown" << 2;
        QTest::newRow("app case folded") << "location"
                                         << "Maps"
                                         << "location"
                                         << "MAPS" << 1;
    }

    void coolDownKeys()
    {
        QFETCH(QString, firstType);
        QFETCH(QString, firstApp);
        QFETCH(QString, secondType);
        QFETCH(QString, secondApp);
        QFETCH(int, stored);
        EngineFixture f;
        f.engine.recordAlert(firstType, firstApp, std::nullopt);
        f.engine.recordAlert(secondType, secondApp, std::nullopt);
        QCOMPARE(f.engine.alerts().size(), stored);
    }

    void digestGetsLowerCasedTypeAndFriendlyName()
    {
        EngineFixture f;
        QSignalSpy digest(&f.engine, &MonitorEngine::accessDetected);
        f.engine.recordAlert("Camera", "Unknown (Camera Active)", std::nullopt);
        QCOMPARE(digest.at(0), (QVariantList{"camera", "Something", "Unknown (Camera Active)"}));
        QCOMPARE(f.engine.alerts().first().app, QStringLiteral("Unknown (Camera Active)"));
    }

    void friendlyAppName_data()
    {
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("friendly");
        QTest::newRow("unknown") << "unknown"
                                 << "Something";
        QTest::newRow("Unknown app") << "Unknown app"
                                     << "Something";
        QTest::newRow("TCCD") << "TCCD"
                              << "Something";
        QTest::newRow("tcc") << "tcc"
                             << "Something";
        QTest::newRow("tccd-helper") << "tccd-helper"
                                     << "tccd-helper";
        QTest::newRow("plain") << "Zoom"
                               << "Zoom";
    }

    void friendlyAppName()
    {
        QFETCH(QString, app);
        QFETCH(QString, friendly);
        QCOMPARE(MonitorEngine::friendlyAppName(app), friendly);
    }

    void keepsTheNewest500()
    {
        EngineFixture f;
        for (int i = 0; i < 501; ++i) {
            f.now = start.addSecs(i);
            f.engine.recordAlert("camera", QStringLiteral("app%1").arg(i), std::nullopt);
        }
        QCOMPARE(f.engine.alerts().size(), 500);
        const QList<SecurityAlert> stored = f.stored();
        QCOMPARE(stored.size(), 500);
        QCOMPARE(stored.first().app, QStringLiteral("app500"));
        QCOMPARE(stored.last().app, QStringLiteral("app1"));
    }

    void reloadsAsStoredAndClearWritesEmptyArray()
    {
        {
            EngineFixture f;
            f.engine.recordAlert("camera", "A", std::nullopt);
            f.now = start.addSecs(1);
            f.engine.recordAlert("location", "B", QStringLiteral("d"));
        }
        EngineFixture again;
        QCOMPARE(again.engine.alerts().size(), 2);
        QCOMPARE(again.engine.alerts().first().app, QStringLiteral("B"));
        again.engine.setAlerts({});
        again.engine.persistAlerts();
        again.engine.alertsWriter().waitForIdle();
        QCOMPARE(readFile(again.engine.alertsPath()), QByteArray("[]"));
    }

    void badAlertsFileIsIgnoredThenReplaced_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("truncated") << QByteArray(
            "[{\"type\":\"camera\",\"app\":\"A\",\"path\":\"\",\"timest");
        QTest::newRow("not JSON") << QByteArray("hello");
        QTest::newRow("object") << QByteArray(R"({"type":"camera","app":"A","path":"","timestamp":"t"})");
        QTest::newRow("one bad element") << QByteArray(
            R"([{"type":"camera","app":"A","path":"","timestamp":"t"},{"type":"camera","app":"B","timestamp":"t"}])");
        QTest::newRow("binary") << QByteArray("\0\xff\x01", 3);
    }

    void badAlertsFileIsIgnoredThenReplaced()
    {
        QFETCH(QByteArray, contents);
        QDir().mkpath(m_home->dataDirectory());
        writeFile(m_home->dataDirectory() + "/alerts.json", contents);
        EngineFixture f;
        QVERIFY(f.engine.alerts().isEmpty());
        f.engine.recordAlert("camera", "Zoom", std::nullopt);
        QCOMPARE(f.stored().size(), 1);
    }

    void fileIsReplacedAtomically()
    {
        EngineFixture f;
        f.engine.recordAlert("camera", "First", std::nullopt);
        f.stored();
        // A hard link keeps the old inode: an in-place rewrite would change what it shows, a rename does not.
        const QString link = m_home->path() + "/old-alerts.json";
        QVERIFY(::link(QFile::encodeName(f.engine.alertsPath()).constData(),
                       QFile::encodeName(link).constData()) == 0);
        const QByteArray before = readFile(link);
        f.now = start.addSecs(1);
        f.engine.recordAlert("camera", "Second", std::nullopt);
        QCOMPARE(f.stored().size(), 2);
        QCOMPARE(readFile(link), before);
    }

    void serialWriterEndsWithTheLatestSnapshot()
    {
        const QString path = m_home->path() + "/alerts.json";
        AlertsFileWriter writer(path);
        QList<SecurityAlert> alerts;
        for (int i = 0; i < 200; ++i) {
            alerts.prepend({"camera", QString::number(i), "", "t", std::nullopt});
            writer.save(alerts);
        }
        writer.waitForIdle();
        QCOMPARE(AlertsFile::load(path), alerts);
    }

    void unwritableDataDirectoryKeepsAlertsInMemory()
    {
        const QString blocker = m_home->path() + "/.halvex";
        writeFile(blocker, "a file where the data directory should be");
        EngineFixture f;
        f.engine.recordAlert("camera", "Zoom", std::nullopt);
        f.engine.alertsWriter().waitForIdle();
        QCOMPARE(f.engine.alerts().size(), 1);
        QCOMPARE(readFile(blocker), QByteArray("a file where the data directory should be"));
    }

    // The accesses are the user's own business: the data directory is 0700 (an existing one is
    // tightened) and the alerts file 0600, whatever the umask allows.
    void dataDirectoryAndAlertsFileArePrivate_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("new directory") << false;
        QTest::newRow("existing open directory") << true;
    }

    void dataDirectoryAndAlertsFileArePrivate()
    {
        QFETCH(bool, existing);
        const QString directory = m_home->path() + "/.halvex";
        if (existing) {
            QVERIFY(QDir().mkpath(directory));
            QVERIFY(QFile::setPermissions(directory, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                         QFile::ReadGroup | QFile::ExeGroup |
                                                         QFile::ReadOther | QFile::ExeOther));
            writeFile(directory + "/alerts.json", "[]");
            QVERIFY(QFile::setPermissions(directory + "/alerts.json", QFile::ReadOwner | QFile::WriteOwner |
                                                                          QFile::ReadGroup |
                                                                          QFile::ReadOther));
        }
        const mode_t previousMask = ::umask(022);
        {
            EngineFixture f;
            f.engine.recordAlert("camera", "Zoom", std::nullopt);
            QCOMPARE(f.stored().size(), 1);
        }
        ::umask(previousMask);
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(directory).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
        QCOMPARE(::stat(QFile::encodeName(directory + "/alerts.json").constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0600));
    }

    void noticeWording_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");
        QTest::newRow("camera") << "camera"
                                << "📷 Camera Access"
                                << "Zoom is using your camera";
        QTest::newRow("microphone any case") << "MICROPHONE"
                                             << "🎤 Microphone Access"
                                             << "Zoom is using your microphone";
        QTest::newRow("location") << "location"
                                  << "📍 Location Access"
                                  << "Zoom accessed your location";
        QTest::newRow("other keeps stored type") << "Screen"
                                                 << "⚠️ Privacy Alert"
                                                 << "Zoom — Screen";
    }

    void noticeWording()
    {
        QFETCH(QString, type);
        QFETCH(QString, title);
        QFETCH(QString, body);
        const AlertNotice notice = AlertNotice::forAlert({type, "Zoom", "", "t", std::nullopt});
        QCOMPARE(notice.title, title);
        QCOMPARE(notice.body, body);
    }

    void osascriptScript_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("script");
        QTest::newRow("plain")
            << "Zoom is using your camera"
            << "display notification \"Zoom is using your camera\" with title \"T\" sound name \"Basso\"";
        QTest::newRow("quote")
            << "say \"hi\""
            << "display notification \"say \\\"hi\\\"\" with title \"T\" sound name \"Basso\"";
        QTest::newRow("trailing backslash")
            << "evil\\"
            << "display notification \"evil\\\\\" with title \"T\" sound name \"Basso\"";
        QTest::newRow("escaped quote injection") << "a\\\" & do shell script \"x"
                                                 << "display notification \"a\\\\\\\" & do shell script "
                                                    "\\\"x\" with title \"T\" sound name \"Basso\"";
        QTest::newRow("line break")
            << "a\nb\r\nc"
            << "display notification \"a b  c\" with title \"T\" sound name \"Basso\"";
    }

    void osascriptScript()
    {
        QFETCH(QString, body);
        QFETCH(QString, script);
        QCOMPARE(OsascriptNotifier::script("T", body), script);
    }

    void bareMacBinaryNotifiesThroughOsascript()
    {
        qputenv("HALVEX_PLATFORM", "macos");
        FakeTool osascript("HALVEX_TOOL_OSASCRIPT");
        FakeTool log("HALVEX_TOOL_LOG");
        {
            MonitorEngine engine(false);
            engine.recordAlert("camera", "Bad\"App", std::nullopt);
            QVERIFY(osascript.waitForCalls(1));
        }
        qunsetenv("HALVEX_PLATFORM");
        QCOMPARE(osascript.calls().first(),
                 (QStringList{"-e", "display notification \"Bad\\\"App is using your camera\" with title \"📷 "
                                    "Camera Access\" sound name \"Basso\""}));
    }

    void killAppMatchesTheNameLiterally_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("plain") << "Zoom"
                               << "Zoom";
        QTest::newRow("dot") << "."
                             << "\\.";
        QTest::newRow("alternation") << "a|b"
                                     << "a\\|b";
        QTest::newRow("leading dash") << "-9"
                                      << "\\-9";
        QTest::newRow("space") << "Google Chrome"
                               << "Google\\ Chrome";
    }

    void killAppMatchesTheNameLiterally()
    {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        FakeTool pkill("HALVEX_TOOL_PKILL", {}, 1);
        EngineFixture f;
        f.engine.killApp(name);
        QVERIFY(pkill.waitForCalls(1));
        // On Linux the name is anchored: the whole process name, not a part of any.
        QCOMPARE(pkill.calls().first(), (QStringList{"-x", "-i", pattern}));
    }

    void killAppWithAnEmptyNameKillsNothing()
    {
        FakeTool pkill("HALVEX_TOOL_PKILL");
        EngineFixture f;
        f.engine.killApp("");
        f.engine.killApp("Zoom");
        QVERIFY(pkill.waitForCalls(1));
        QTest::qWait(200);
        QCOMPARE(pkill.calls(), (QList<QStringList>{{"-x", "-i", "Zoom"}}));
    }

    void killAppEndsTheProcessesSeenUnderTheName()
    {
        FakeTool pkill("HALVEX_TOOL_PKILL", {}, 1);
        EngineFixture f;
        f.now = QDateTime::currentDateTimeUtc();
        auto* source = new ScriptedSource;
        f.engine.setSources({source});
        // "Microsoft Teams (work or school)" is no process name pkill could match.
        const QString name = QStringLiteral("Microsoft Teams (work or school)");
        QProcess seen;
        QProcess bystander;
        seen.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        bystander.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(seen.waitForStarted() && bystander.waitForStarted());
        const std::optional<ProcessFacts> facts =
            ProcessFiles::read(QStringLiteral("/proc"), seen.processId());
        QVERIFY(facts);
        Q_EMIT source->processesSeen(name, {*facts});

        QSignalSpy finished(&f.engine, &MonitorEngine::forceQuitFinished);
        f.engine.killApp(name);
        QVERIFY(finished.wait());
        QCOMPARE(finished.first().at(1).toBool(), true);
        QTRY_COMPARE(seen.state(), QProcess::NotRunning);
        QCOMPARE(bystander.state(), QProcess::Running);
        QCOMPARE(pkill.calls().size(), 0);

        // Gone now, and its id may be reused: only the name is left to match, exactly.
        f.engine.killApp(name);
        QVERIFY(finished.wait());
        QCOMPARE(finished.at(1).at(1).toBool(), false);
        QCOMPARE(pkill.calls(), (QList<QStringList>{{"-x", "-i", "Microsoft\\ Teams"}}));
        bystander.kill();
        bystander.waitForFinished();
    }

    void killAppNeverEndsHalvex()
    {
        FakeTool pkill("HALVEX_TOOL_PKILL");
        EngineFixture f;
        QSignalSpy finished(&f.engine, &MonitorEngine::forceQuitFinished);
        f.engine.killApp(QStringLiteral("halvex"));
        f.engine.killApp(QStringLiteral("HalvexD"));
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(pkill.calls().size(), 0);
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(MonitorEngineTest)
#include "tst_monitorengine.moc"
