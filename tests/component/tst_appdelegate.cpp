#include "app/AppDelegate.h"
#include "app/AppNotifications.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"
#include "ui/AppWindows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

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

private:
    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_MAIN(AppDelegateTest)
#include "tst_appdelegate.moc"
