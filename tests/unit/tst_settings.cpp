#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

class SettingsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_home.reset(); }

    void defaultsWhenAbsent()
    {
        Settings settings;
        QCOMPARE(settings.serverURL(), std::nullopt);
        QCOMPARE(settings.refreshInterval(), 5.0);
        QCOMPARE(settings.automationProfile(), std::nullopt);
        QCOMPARE(settings.hasOnboarded(), false);
        QCOMPARE(settings.telegramBotToken(), std::nullopt);
        QCOMPARE(settings.telegramChatId(), std::nullopt);
        QCOMPARE(settings.backendWorkDir(), m_home->path() + "/Documents/GitHub/www/halvex");
        QCOMPARE(settings.cmdHistory(), QStringList());
        QCOMPARE(settings.protectionEnabled(), true);
        QCOMPARE(settings.autoCleanEnabled(), false);
        QCOMPARE(settings.autoCleanRAM(), true);
        QCOMPARE(settings.autoCleanRAMThreshold(), 80.0);
        QCOMPARE(settings.autoCleanCache(), true);
        QCOMPARE(settings.autoCleanTempFiles(), false);
        QCOMPARE(settings.autoCleanIntervalHours(), 24.0);
        QCOMPARE(settings.privacyLevel(), 1);
        QCOMPARE(settings.privacyWhitelist(), QString());
        QCOMPARE(settings.analyticsDidInstall(), false);
        QCOMPARE(settings.analyticsDeviceId(), std::nullopt);
    }

    void valuesRoundTripUnderTheirExactKeys()
    {
        {
            Settings settings;
            settings.setProtectionEnabled(false);
            settings.setPrivacyLevel(2);
            settings.setPrivacyWhitelist("Zoom,Slack");
            settings.setCmdHistory({"help", "scan"});
            settings.setTelegramChatId("-100123");
            settings.setAutoCleanIntervalHours(12);
        }
        Settings reread;
        QCOMPARE(reread.protectionEnabled(), false);
        QCOMPARE(reread.privacyLevel(), 2);
        QCOMPARE(reread.privacyWhitelist(), QStringLiteral("Zoom,Slack"));
        QCOMPARE(reread.cmdHistory(), (QStringList{"help", "scan"}));
        QCOMPARE(reread.telegramChatId(), QStringLiteral("-100123"));
        QCOMPARE(reread.autoCleanIntervalHours(), 12.0);
        QCOMPARE(reread.value("privacyWhitelist").toString(), QStringLiteral("Zoom,Slack"));
        reread.remove(SettingsKey::telegramChatId);
        QCOMPARE(Settings().telegramChatId(), std::nullopt);
    }

    void refreshInterval_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<double>("seconds");
        QTest::newRow("fractional") << QVariant(2.5) << 2.5;
        QTest::newRow("zero means 5") << QVariant(0) << 5.0;
        QTest::newRow("negative means 5") << QVariant(-3) << 5.0;
        QTest::newRow("not a number means 5") << QVariant("soon") << 5.0;
        QTest::newRow("text number") << QVariant("10") << 10.0;
        QTest::newRow("below a second: a busy loop, clamped") << QVariant(0.01) << 1.0;
        QTest::newRow("beyond an hour: clamped") << QVariant(1e12) << 3600.0;
        QTest::newRow("infinite: clamped") << QVariant(qInf()) << 3600.0;
    }

    // A value that did not change is not written: no rewrite, no sync, the same file.
    void unchangedValuesAreNotWritten()
    {
        Settings settings;
        settings.setTelegramChatId("-100123");
        settings.setProtectionEnabled(true);
        const QByteArray path = QFile::encodeName(settings.fileName());
        struct stat before = {};
        QCOMPARE(::stat(path.constData(), &before), 0);
        Settings().setTelegramChatId("-100123");
        Settings().setProtectionEnabled(true);
        Settings().remove(SettingsKey::automationProfile); // absent already
        struct stat after = {};
        QCOMPARE(::stat(path.constData(), &after), 0);
        // Every write replaces the file through a save file: the same inode means none happened.
        QCOMPARE(after.st_ino, before.st_ino);
        Settings().setTelegramChatId("-100124");
        QCOMPARE(::stat(path.constData(), &after), 0);
        QVERIFY(after.st_ino != before.st_ino);
        QCOMPARE(Settings().telegramChatId(), QStringLiteral("-100124"));
    }

    void fileIsOwnerOnlyBecauseItHoldsTheToken()
    {
        Settings settings;
        settings.setTelegramBotToken("123:secret");
        settings.setHasOnboarded(true);
        QVERIFY(settings.fileName().startsWith(m_home->path()));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(settings.fileName()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0600));
        QCOMPARE(Settings().telegramBotToken(), QStringLiteral("123:secret"));
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
