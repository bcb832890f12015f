#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <functional>

namespace {

// Every key through its typed reader, with a value that differs from its default.
struct Key
{
    const char* name;
    QVariant written;
    std::function<QVariant(const Settings&)> read;
};

QVariant optional(const std::optional<QString>& value)
{
    return value ? QVariant(*value) : QVariant();
}

const QList<Key>& keys()
{
    static const QList<Key> table{
        {SettingsKey::serverURL, "http://127.0.0.1:4567",
         [](const Settings& s) { return optional(s.serverURL()); }},
        {SettingsKey::refreshInterval, 12.5, [](const Settings& s) { return QVariant(s.refreshInterval()); }},
        {SettingsKey::automationProfile, "strict",
         [](const Settings& s) { return optional(s.automationProfile()); }},
        {SettingsKey::hasOnboarded, true, [](const Settings& s) { return QVariant(s.hasOnboarded()); }},
        {SettingsKey::telegramBotToken, "123456:ABCdefGHIjklMNOpqr",
         [](const Settings& s) { return optional(s.telegramBotToken()); }},
        {SettingsKey::telegramChatId, "-1001234567890",
         [](const Settings& s) { return optional(s.telegramChatId()); }},
        {SettingsKey::telegramLastUpdateId, qint64(987654321),
         [](const Settings& s) { return QVariant(s.telegramLastUpdateId()); }},
        {SettingsKey::backendWorkDir, "/srv/halvex backend",
         [](const Settings& s) { return QVariant(s.backendWorkDir()); }},
        {SettingsKey::cmdHistory, QStringList{"help", "scan ports", "block camera zoom.us"},
         [](const Settings& s) { return QVariant(s.cmdHistory()); }},
        {SettingsKey::protectionEnabled, false,
         [](const Settings& s) { return QVariant(s.protectionEnabled()); }},
        {SettingsKey::autoCleanEnabled, true,
         [](const Settings& s) { return QVariant(s.autoCleanEnabled()); }},
        {SettingsKey::autoCleanRAM, false, [](const Settings& s) { return QVariant(s.autoCleanRAM()); }},
        {SettingsKey::autoCleanRAMThreshold, 65.0,
         [](const Settings& s) { return QVariant(s.autoCleanRAMThreshold()); }},
        {SettingsKey::autoCleanCache, false, [](const Settings& s) { return QVariant(s.autoCleanCache()); }},
        {SettingsKey::autoCleanTempFiles, true,
         [](const Settings& s) { return QVariant(s.autoCleanTempFiles()); }},
        {SettingsKey::autoCleanIntervalHours, 6.0,
         [](const Settings& s) { return QVariant(s.autoCleanIntervalHours()); }},
        {SettingsKey::privacyLevel, 3, [](const Settings& s) { return QVariant(s.privacyLevel()); }},
        {SettingsKey::privacyWhitelist, "chrome,zoom,Slack",
         [](const Settings& s) { return QVariant(s.privacyWhitelist()); }},
        {SettingsKey::analyticsDidInstall, true,
         [](const Settings& s) { return QVariant(s.analyticsDidInstall()); }},
        {SettingsKey::analyticsDeviceId, "6f1c2b9e-0d4a-4e55-9a51-3c2f7d8e9b10",
         [](const Settings& s) { return optional(s.analyticsDeviceId()); }},
    };
    return table;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void overwrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

// A settings file cut short, as a full disk or a copy interrupted half-way leaves it: every key whose
// line survived whole keeps its value, every other key reads as its default, and the next write leaves
// a whole file again.
class SettingsTruncationTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_home.reset(); }

    void everyCutReadsWholeValuesOrDefaults()
    {
        QList<QVariant> defaults;
        for (const Key& key : keys())
            defaults << key.read(Settings());
        QList<QVariant> full;
        for (qsizetype i = 0; i < keys().size(); ++i) {
            Settings().setValue(keys()[i].name, keys()[i].written);
            full << keys()[i].read(Settings());
            QVERIFY2(full[i] != defaults[i], keys()[i].name);
        }
        const QString path = Settings().fileName();
        const QByteArray whole = readAll(path);
        QVERIFY(whole.endsWith('\n'));

        for (qsizetype cut = 0; cut < whole.size(); ++cut) {
            const QByteArray kept = whole.left(cut);
            overwrite(path, kept);
            const Settings settings;
            for (qsizetype i = 0; i < keys().size(); ++i) {
                const Key& key = keys()[i];
                const qsizetype line = whole.indexOf("\n" + QByteArray(key.name) + "=");
                QVERIFY(line >= 0);
                const bool lineWhole = whole.indexOf('\n', line + 1) < cut;
                const QVariant expected = lineWhole ? full[i] : defaults[i];
                QVERIFY2(key.read(settings) == expected,
                         qPrintable(QStringLiteral("%1 after a cut at %2 of %3: %4")
                                        .arg(key.name)
                                        .arg(cut)
                                        .arg(whole.size())
                                        .arg(key.read(settings).toString())));
            }
        }
    }

    void nextWriteRepairsAHalfFile()
    {
        for (const Key& key : keys())
            Settings().setValue(key.name, key.written);
        const QString path = Settings().fileName();
        const QByteArray whole = readAll(path);
        overwrite(path, whole.left(whole.size() / 2));

        QList<QVariant> before;
        for (const Key& key : keys())
            before << key.read(Settings());
        Settings().setPrivacyLevel(2);

        const QByteArray repaired = readAll(path);
        QVERIFY(repaired.startsWith("[General]\n"));
        QVERIFY(repaired.endsWith('\n'));
        for (qsizetype i = 0; i < keys().size(); ++i) {
            if (keys()[i].name == SettingsKey::privacyLevel)
                QCOMPARE(Settings().privacyLevel(), 2);
            else
                QCOMPARE(keys()[i].read(Settings()), before[i]);
        }
    }

    // The application itself starts on a half file and stops cleanly.
    void headlessStartsOnAHalfFile()
    {
        for (const Key& key : keys())
            Settings().setValue(key.name, key.written);
        Settings().setProtectionEnabled(true);
        const QString path = Settings().fileName();
        const QByteArray whole = readAll(path);
        overwrite(path, whole.left(whole.size() / 2));

        FakeTool log("HALVEX_TOOL_LOG");
        log.setScriptBody("exec sleep 60\n");
        QProcess halvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HALVEX_PLATFORM", "macos");
        halvex.setProcessEnvironment(environment);
        halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), {"--headless"});
        QVERIFY(halvex.waitForStarted());
        QByteArray errors;
        QVERIFY(QTest::qWaitFor(
            [&] {
                errors += halvex.readAllStandardError();
                return errors.contains("headless");
            },
            15000));
        ::kill(pid_t(halvex.processId()), SIGTERM);
        QVERIFY(halvex.waitForFinished(10000));
        QCOMPARE(halvex.exitStatus(), QProcess::NormalExit);
        QCOMPARE(halvex.exitCode(), 0);
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(SettingsTruncationTest)
#include "tst_settingstruncation.moc"
