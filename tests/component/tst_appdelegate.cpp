#include "app/AppDelegate.h"
#include "app/AppNotifications.h"
#include "fakes/FakeBotApi.h"
#include "monitor/TelegramBotApi.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"
#include "ui/AppWindows.h"
#include "ui/SetupWindow.h"

#include <QDir>
#include <QFile>
#include <QPointer>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

using namespace std::chrono_literals;

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

// The first-run set-up window and the notifications that open and close it, on an offscreen display.
class AppDelegateTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_home.reset(); }

    void firstLaunchOpensTheSetupWindowShortlyAfter()
    {
        AppDelegate delegate({100, false, &AppWindows::createSetupWindow});
        delegate.applicationDidFinishLaunching();
        QVERIFY(!delegate.onboardingWindow());
        QTRY_VERIFY(delegate.onboardingWindow() && delegate.onboardingWindow()->isVisible());
        QWindow* window = delegate.onboardingWindow();
        QCOMPARE(window->title(), QStringLiteral("Halvex Setup"));
        QCOMPARE(window->size(), QSize(440, 560));
        QCOMPARE(window->minimumSize(), window->maximumSize()); // not resizable
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(window->geometry().center().x() - area.center().x()) <= 1);
        QVERIFY(qAbs(window->geometry().center().y() - area.center().y()) <= 1);
    }

    void onboardedLaunchOpensNothing()
    {
        Settings().setHasOnboarded(true);
        AppDelegate delegate({50, false, &AppWindows::createSetupWindow});
        delegate.applicationDidFinishLaunching();
        QTest::qWait(300);
        QVERIFY(!delegate.onboardingWindow());
    }

    void notificationsOpenAndCloseOneWindow()
    {
        Settings().setHasOnboarded(true);
        AppDelegate delegate({0, false, &AppWindows::createSetupWindow});
        delegate.applicationDidFinishLaunching();
        AppNotifications::instance().post("halvexShowOnboarding");
        QWindow* first = delegate.onboardingWindow();
        QVERIFY(first && first->isVisible());
        AppNotifications::instance().post("halvexShowOnboarding");
        QCOMPARE(delegate.onboardingWindow(), first); // visible: brought forward, not duplicated

        first->close(); // the close button: kept, hidden
        QCOMPARE(delegate.onboardingWindow(), first);
        QVERIFY(!first->isVisible());
        AppNotifications::instance().post("halvexShowOnboarding");
        QVERIFY(delegate.onboardingWindow() && delegate.onboardingWindow()->isVisible());

        AppNotifications::instance().post("halvexOnboardingDone");
        QVERIFY(!delegate.onboardingWindow());
        AppNotifications::instance().post("somethingElse");
        QVERIFY(!delegate.onboardingWindow());
    }

    // "Finish" while the last step still waits for /start: the window goes, the search does not, and
    // a /start sent afterwards still stores the chat and brings the welcome message.
    void chatSearchOutlivesTheFinishedWindow()
    {
        FakeBotApi api;
        AppDelegate delegate({0, false, setupWindowAgainst(api)});
        delegate.applicationDidFinishLaunching();
        QTRY_VERIFY(delegate.onboardingWindow());
        TelegramSetupModel* setup = verifiedToken(delegate);
        setup->saveAndContinue();
        QVERIFY(setup->pollingChatId());
        QVERIFY(api.waitForRequests("getUpdates", 1));

        QPointer<QWindow> window = delegate.onboardingWindow();
        setup->finish();
        QVERIFY(!delegate.onboardingWindow());
        QTRY_VERIFY(!window); // deleted, with its model
        QVERIFY(delegate.chatIdSearch());

        api.addUpdates({FakeBotApi::messageUpdate(9, 5151)});
        QTRY_COMPARE(Settings().telegramChatId(), std::optional<QString>("5151"));
        QTRY_COMPARE(api.requests("sendMessage").size(), 1);
        QTRY_VERIFY(!delegate.chatIdSearch()); // done: released
    }

    // "Finish" before a search began keeps nothing alive.
    void finishWithoutASearchKeepsNothing()
    {
        FakeBotApi api;
        AppDelegate delegate({0, false, setupWindowAgainst(api)});
        delegate.applicationDidFinishLaunching();
        QTRY_VERIFY(delegate.onboardingWindow());
        static_cast<SetupWindow*>(delegate.onboardingWindow())->model()->finish();
        QVERIFY(!delegate.onboardingWindow());
        QVERIFY(!delegate.chatIdSearch());
    }

    // A token saved in the set-up window goes into the backend's environment file too, once, and
    // the backend is restarted to read it.
    void savedTokenReachesTheBackendFile()
    {
        FakeBotApi api;
        FakeTool systemctl("HALVEX_TOOL_SYSTEMCTL");
        const QString workDir = m_home->path() + "/backend";
        QVERIFY(QDir().mkpath(workDir));
        Settings().setValue(SettingsKey::backendWorkDir, workDir);
        writeFile(workDir + "/.env", "PORT=3456\nTELEGRAM_BOT_TOKEN=\n");
        BackendManager backend({10, 10});
        AppDelegate::Options options{0, false, setupWindowAgainst(api)};
        options.backend = &backend;
        AppDelegate delegate(options);
        delegate.applicationDidFinishLaunching();
        QTRY_VERIFY(delegate.onboardingWindow());
        verifiedToken(delegate)->saveAndContinue();

        QCOMPARE(Settings().telegramBotToken(), std::optional<QString>("123456:ABC-def"));
        QCOMPARE(readFile(workDir + "/.env"), "PORT=3456\nTELEGRAM_BOT_TOKEN=123456:ABC-def\n");
        QVERIFY(systemctl.waitForCalls(2));
        QTest::qWait(100);
        const QList<QStringList> calls = systemctl.calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0], (QStringList{"--user", "stop", "halvex-backend.service"}));
        QCOMPARE(calls[1], (QStringList{"--user", "start", "halvex-backend.service"}));
    }

private:
    // The real set-up window, against the fake Bot API with short pauses.
    static AppViews::SetupWindowFactory setupWindowAgainst(const FakeBotApi& api)
    {
        const QString origin = api.origin();
        return [origin](TelegramSetupModel::Options options) {
            options.botApiOrigin = origin;
            options.chatIdSearch = {30, 50ms};
            options.chatIdPostTimeoutMs = 200;
            return AppWindows::createSetupWindow(std::move(options));
        };
    }

    // The set-up window's model at the token step with a token Telegram accepted.
    static TelegramSetupModel* verifiedToken(AppDelegate& delegate)
    {
        TelegramSetupModel* setup = static_cast<SetupWindow*>(delegate.onboardingWindow())->model();
        setup->setBotToken(" 123456:ABC-def ");
        setup->testToken();
        if (!QTest::qWaitFor([setup] { return setup->canSave(); }, 5000))
            qFatal("the token was not verified");
        return setup;
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

    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_MAIN(AppDelegateTest)
#include "tst_appdelegate.moc"
