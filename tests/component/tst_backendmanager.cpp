#include "backend/BackendManager.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <sys/stat.h>

namespace {

// A fake of the platform's service tool that also records when each call began, in milliseconds since
// the epoch, one line per call.
struct FakeServiceTool
{
    explicit FakeServiceTool(const QString& platform)
        : macOS(platform == "macos"),
          tool(macOS ? QStringLiteral("HALVEX_TOOL_LAUNCHCTL") : QStringLiteral("HALVEX_TOOL_SYSTEMCTL"))
    {
        qputenv("HALVEX_PLATFORM", platform.toLatin1());
        // Like systemd, the fake finds the unit in any directory of the user's search path.
        const QString home = QDir::homePath();
        tool.setScriptBody(
            QStringLiteral("date +%s%3N >> '%1.times'\n"
                           "if [ \"$2\" = show ]; then\n"
                           "  if [ -e '%2/.config/systemd/user/halvex-backend.service' ] ||\n"
                           "     [ -e '%2/.local/share/systemd/user/halvex-backend.service' ]; then\n"
                           "    echo loaded; else echo not-found; fi\n"
                           "fi\n")
                .arg(tool.logPath(), home));
    }
    ~FakeServiceTool() { qunsetenv("HALVEX_PLATFORM"); }

    QList<qint64> times() const
    {
        QFile file(tool.logPath() + ".times");
        file.open(QIODevice::ReadOnly);
        QList<qint64> times;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty())
                times.append(line.toLongLong());
        }
        return times;
    }

    // The argument lists the manager should produce for one verb on this platform.
    QStringList expected(const QString& verb, const QString& agentFile = {}) const
    {
        if (verb == "show")
            return {"--user", "show", "-p", "LoadState", "--value", "halvex-backend.service"};
        if (macOS)
            return verb == "load" ? QStringList{"load", "-w", agentFile}
                                  : QStringList{verb, "com.halvex.backend"};
        return {"--user", verb == "load" ? QStringLiteral("enable") : verb, "halvex-backend.service"};
    }

    bool macOS;
    FakeTool tool;
};

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

const BackendManager::Delays shortDelays{50, 50};

} // namespace

class BackendManagerTest : public QObject
{
    Q_OBJECT
    TemporaryHome m_home;

    QString agentFile(const QString& platform) const
    {
        return platform == "macos" ? m_home.path() + "/Library/LaunchAgents/com.halvex.backend.plist"
                                   : m_home.path() + "/.config/systemd/user/halvex-backend.service";
    }

    // Where `make install` with its default prefix puts the unit.
    QString installedUnit() const
    {
        return m_home.path() + "/.local/share/systemd/user/halvex-backend.service";
    }

    void platforms()
    {
        QTest::addColumn<QString>("platform");
        QTest::newRow("macOS") << "macos";
        QTest::newRow("Linux") << "linux";
    }

private Q_SLOTS:
    void init()
    {
        for (const char* created :
             {"/Library", "/.config/systemd", "/.local/share/systemd", "/Documents", "/backend"})
            QDir(m_home.path() + created).removeRecursively();
        Settings().remove(SettingsKey::backendWorkDir);
        Settings().remove(SettingsKey::telegramBotToken);
    }

    void defaultsMatchTheServiceManagers()
    {
        QCOMPARE(BackendManager::Delays{}.startAfterLoadMs, 500);
        QCOMPARE(BackendManager::Delays{}.startAfterStopMs, 1500);
        QCOMPARE(BackendManager().label(), QStringLiteral("com.halvex.backend"));
    }

    void agentFileLocation_data() { platforms(); }
    void agentFileLocation()
    {
        QFETCH(QString, platform);
        FakeServiceTool fake(platform);
        BackendManager manager;
        QSignalSpy changed(&manager, &BackendManager::serviceInstalledChanged);
        QCOMPARE(manager.agentFilePath(), agentFile(platform));
        manager.refreshServiceInstalled();
        QTest::qWait(platform == "linux" ? 300 : 0);
        QVERIFY(!manager.plistExists());
        QCOMPARE(changed.size(), 0);
        writeFile(agentFile(platform), "<plist/>");
        manager.refreshServiceInstalled();
        QTRY_VERIFY(manager.plistExists());
        QCOMPARE(changed.size(), 1);
    }

    // The unit is found where the install put it, not only in the user's own configuration directory.
    void installedUnitIsFoundThroughSystemd()
    {
        FakeServiceTool fake("linux");
        writeFile(installedUnit(), "[Service]\n");
        BackendManager manager;
        manager.refreshServiceInstalled();
        QTRY_VERIFY(manager.plistExists());
        QCOMPARE(fake.tool.calls(), (QList<QStringList>{fake.expected("show")}));
    }

    void autoLaunchNeedsTheAgentFile_data() { platforms(); }
    void autoLaunchNeedsTheAgentFile()
    {
        QFETCH(QString, platform);
        FakeServiceTool fake(platform);
        const bool onLinux = platform == "linux";
        const QString unit = onLinux ? installedUnit() : agentFile(platform);
        BackendManager manager(shortDelays);
        manager.autoLaunchIfNeeded();
        QTest::qWait(400);
        const QList<QStringList> asked =
            onLinux ? QList<QStringList>{fake.expected("show")} : QList<QStringList>{};
        QCOMPARE(fake.tool.calls(), asked);

        writeFile(unit, "<plist/>");
        manager.autoLaunchIfNeeded();
        QVERIFY(fake.tool.waitForCalls(onLinux ? 4 : 2));
        QTest::qWait(200);
        QCOMPARE(fake.tool.calls(),
                 (asked + asked + QList<QStringList>{fake.expected("load", unit), fake.expected("start")}));
    }

    void restartStopsThenStarts_data() { platforms(); }
    void restartStopsThenStarts()
    {
        QFETCH(QString, platform);
        FakeServiceTool fake(platform);
        BackendManager manager(shortDelays);
        manager.restart();
        QVERIFY(fake.tool.waitForCalls(2));
        QTest::qWait(200);
        QCOMPARE(fake.tool.calls(), (QList<QStringList>{fake.expected("stop"), fake.expected("start")}));
    }

    // The later command may not run before its delay has passed since the call.
    void realDelays_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("launch");
        QTest::addColumn<qint64>("delayMs");
        QTest::newRow("macOS launch") << "macos" << true << qint64(500);
        QTest::newRow("Linux launch") << "linux" << true << qint64(500);
        QTest::newRow("macOS restart") << "macos" << false << qint64(1500);
        QTest::newRow("Linux restart") << "linux" << false << qint64(1500);
    }

    void realDelays()
    {
        QFETCH(QString, platform);
        QFETCH(bool, launch);
        QFETCH(qint64, delayMs);
        FakeServiceTool fake(platform);
        writeFile(agentFile(platform), "<plist/>");
        BackendManager manager;
        const qint64 calledAt = QDateTime::currentMSecsSinceEpoch();
        if (launch)
            manager.autoLaunchIfNeeded();
        else
            manager.restart();
        const int calls = launch && platform == "linux" ? 3 : 2;
        QVERIFY(fake.tool.waitForCalls(calls));
        QTRY_COMPARE(fake.times().size(), calls);
        const QList<qint64> times = fake.times();
        QVERIFY2(times.last() - calledAt >= delayMs, qPrintable(QString::number(times.last() - calledAt)));
        QCOMPARE(fake.tool.calls().last(), fake.expected("start"));
    }

    void quickRestartsKeepTheirOrder()
    {
        FakeServiceTool fake("macos");
        BackendManager manager(BackendManager::Delays{50, 500});
        manager.restart();
        manager.restart();
        QVERIFY(fake.tool.waitForCalls(4));
        QTest::qWait(200);
        QCOMPARE(fake.tool.calls(), (QList<QStringList>{fake.expected("stop"), fake.expected("stop"),
                                                        fake.expected("start"), fake.expected("start")}));
    }

    void tokenWriter_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("customWorkDir");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray content = "PORT=3456\r\nTELEGRAM_BOT_TOKEN=old\r\n TELEGRAM_BOT_TOKEN=spaced\n"
                                   "TELEGRAM_BOT_TOKEN=second\nXMTP_WALLET_KEY=k";
        const QByteArray expected = "PORT=3456\r\nTELEGRAM_BOT_TOKEN=123:abc\n TELEGRAM_BOT_TOKEN=spaced\n"
                                    "TELEGRAM_BOT_TOKEN=123:abc\nXMTP_WALLET_KEY=k";
        QTest::newRow("macOS, default directory") << "macos" << false << content << expected;
        QTest::newRow("Linux, backendWorkDir") << "linux" << true << content << expected;
        QTest::newRow("no token line") << "macos" << false << QByteArray("A=1\n") << QByteArray("A=1\n");
    }

    void tokenWriter()
    {
        QFETCH(QString, platform);
        QFETCH(bool, customWorkDir);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, expected);
        FakeServiceTool fake(platform);
        QString directory = m_home.path() + "/Documents/GitHub/www/halvex";
        if (customWorkDir) {
            directory = m_home.path() + "/backend";
            Settings().setValue(SettingsKey::backendWorkDir, directory);
            writeFile(m_home.path() + "/Documents/GitHub/www/halvex/.env", content);
        }
        const QString envFile = directory + "/.env";
        writeFile(envFile, content);
        QVERIFY(QFile::setPermissions(envFile, QFile::ReadOwner | QFile::WriteOwner));

        BackendManager manager(shortDelays);
        manager.saveBotToken("  123:abc\t");

        QCOMPARE(Settings().telegramBotToken(), QStringLiteral("123:abc"));
        QCOMPARE(readFile(envFile), expected);
        struct stat info
        {
        };
        ::stat(QFile::encodeName(envFile).constData(), &info);
        QCOMPARE(info.st_mode & 0777, mode_t(0600));
        if (customWorkDir)
            QCOMPARE(readFile(m_home.path() + "/Documents/GitHub/www/halvex/.env"), content);
        QVERIFY(fake.tool.waitForCalls(2));
        QCOMPARE(fake.tool.calls(), (QList<QStringList>{fake.expected("stop"), fake.expected("start")}));
    }

    void tokenWriterStopsAtAMissingFile()
    {
        FakeServiceTool fake("linux");
        BackendManager manager(shortDelays);
        manager.saveBotToken("\t456:def  ");
        QCOMPARE(Settings().telegramBotToken(), QStringLiteral("456:def"));
        QVERIFY(!QFile::exists(m_home.path() + "/Documents/GitHub/www/halvex/.env"));
        QVERIFY(!QDir(m_home.path() + "/Documents").exists());
        QTest::qWait(400);
        QCOMPARE(fake.tool.calls().size(), 0);
    }
};

QTEST_GUILESS_MAIN(BackendManagerTest)
#include "tst_backendmanager.moc"
