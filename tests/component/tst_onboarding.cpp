#include "app/AppState.h"
#include "app/OnboardingModel.h"
#include "model/MonitoringProfiles.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

// The dashboard's first-run sheet against a real AppState, a fake backend and a fake systemctl: the
// token step, the profile confirmation and every way the sheet can end.
class OnboardingTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<FakeBackendHome>();
        m_systemctl = std::make_unique<FakeTool>("HALVEX_TOOL_SYSTEMCTL", "loaded\n");
        m_clipboard.clear();
    }
    void cleanup()
    {
        m_model.reset();
        m_state.reset();
        m_systemctl.reset();
        m_rig.reset();
    }

    void saveStoresTheTokenAndMovesOn()
    {
        const QString workDir = m_rig->home.path() + "/backend";
        QDir().mkpath(workDir);
        Settings().setValue(SettingsKey::backendWorkDir, workDir);
        writeFile(workDir + "/.env", "TELEGRAM_BOT_TOKEN=old\n");
        OnboardingModel& onboarding = model();
        QCOMPARE(onboarding.step(), int(OnboardingModel::TokenStep));
        onboarding.setBotToken(" \t");
        QVERIFY(!onboarding.canSave());
        onboarding.save(); // disabled: nothing happens
        QCOMPARE(onboarding.step(), int(OnboardingModel::TokenStep));
        onboarding.setBotToken("  123:abc\t");
        QVERIFY(onboarding.canSave());
        onboarding.save();
        QCOMPARE(onboarding.step(), int(OnboardingModel::ProfileStep));
        QCOMPARE(Settings().telegramBotToken(), "123:abc");
        QCOMPARE(readFile(workDir + "/.env"), QByteArray("TELEGRAM_BOT_TOKEN=123:abc\n"));
        QVERIFY(!m_state->hasOnboarded()); // the profile is still to come
    }

    void cancelMovesOnWithoutSaving()
    {
        OnboardingModel& onboarding = model();
        onboarding.setBotToken("123:abc");
        onboarding.skipToken();
        QCOMPARE(onboarding.step(), int(OnboardingModel::ProfileStep));
        QCOMPARE(Settings().telegramBotToken(), std::nullopt);
    }

    // The set-up window connected the bot already: only the profile is left.
    void storedTokenStartsAtTheProfile()
    {
        Settings().setTelegramBotToken("123:abc");
        QCOMPARE(model().step(), int(OnboardingModel::ProfileStep));
    }

    void pasteCleansTheClipboard()
    {
        OnboardingModel& onboarding = model();
        m_clipboard = "\t123:abc \r\n";
        onboarding.paste();
        QCOMPARE(onboarding.botToken(), "123:abc");
        m_clipboard = "  \n";
        onboarding.paste();
        QCOMPARE(onboarding.botToken(), "123:abc");
    }

    void cancelledProfileLeavesOnboardingUnfinished()
    {
        OnboardingModel& onboarding = model();
        onboarding.skipToken();
        onboarding.selectProfile("business");
        QCOMPARE(onboarding.pendingProfile(), "business");
        onboarding.cancelProfile();
        QCOMPARE(onboarding.pendingProfile(), std::nullopt);
        QTest::qWait(100);
        QVERIFY(!m_state->hasOnboarded());
        QVERIFY(!Settings().hasOnboarded());
        QCOMPARE(m_rig->backend.automationCalls(), QStringList());
        QVERIFY(!m_systemctl->calls().contains(QStringList{"--user", "enable", "halvex-backend.service"}));
    }

    // Confirming applies the profile, finishes onboarding and enables the backend service.
    void confirmedProfileFinishesOnboarding()
    {
        OnboardingModel& onboarding = model();
        onboarding.skipToken();
        onboarding.selectProfile("essentiel");
        onboarding.confirmProfile();
        QCOMPARE(onboarding.pendingProfile(), std::nullopt); // cleared at once, the profile still applying
        QVERIFY(m_state->hasOnboarded());
        QVERIFY(Settings().hasOnboarded());
        const QStringList skills = profileSkills(u"essentiel").value();
        QTRY_COMPARE(m_rig->backend.automationCalls().size(), skills.size());
        QTRY_COMPARE(m_state->selectedProfileText(), "essentiel");
        QVERIFY(m_systemctl->waitForCalls(3));
        const auto calls = m_systemctl->calls();
        QVERIFY(calls.contains(QStringList{"--user", "enable", "halvex-backend.service"}));
        QTRY_VERIFY(m_systemctl->calls().contains(QStringList{"--user", "start", "halvex-backend.service"}));
    }

    void dismissingFinishesOnboarding()
    {
        OnboardingModel& onboarding = model();
        onboarding.dismiss();
        QVERIFY(m_state->hasOnboarded());
        QVERIFY(Settings().hasOnboarded());
        QCOMPARE(m_rig->backend.automationCalls(), QStringList());
    }

    void wordingFollowsThePlatform()
    {
        OnboardingModel::Options linuxOptions;
        linuxOptions.platform = Platform::Kind::Linux;
        OnboardingModel::Options macOptions;
        macOptions.platform = Platform::Kind::MacOS;
        state();
        OnboardingModel onLinux(*m_state, linuxOptions);
        OnboardingModel onMac(*m_state, macOptions);
        QCOMPARE(onLinux.welcomeText(),
                 "Your computer is now protected. Choose your monitoring level to get started.");
        QCOMPARE(onMac.welcomeText(),
                 "Your Mac is now protected. Choose your monitoring level to get started.");
        QCOMPARE(onLinux.tokenTitle(), "Control your computer remotely via Telegram");
        QCOMPARE(onLinux.tip(),
                 QString::fromUtf8("💡 Open Telegram on this computer to copy-paste the token easily"));
        QCOMPARE(onLinux.tipWords(), "Open Telegram on this computer to copy-paste the token easily");
        QCOMPARE(onMac.tip(),
                 QString::fromUtf8("💡 Open Telegram on this Mac to copy-paste the token easily"));
    }

private:
    void state()
    {
        AppState::Options options;
        options.clientTimeouts = {2000, 2000};
        options.backendDelays = {10, 10};
        m_state = std::make_unique<AppState>(options);
    }

    OnboardingModel& model()
    {
        state();
        OnboardingModel::Options options;
        options.clipboardText = [this] { return m_clipboard; };
        options.openUrl = [](const QUrl&) {};
        m_model = std::make_unique<OnboardingModel>(*m_state, options);
        return *m_model;
    }

    static void writeFile(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<FakeBackendHome> m_rig;
    std::unique_ptr<FakeTool> m_systemctl;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<OnboardingModel> m_model;
    QString m_clipboard;
};

QTEST_GUILESS_MAIN(OnboardingTest)
#include "tst_onboarding.moc"
