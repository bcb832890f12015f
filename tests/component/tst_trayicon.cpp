#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "model/Timestamp.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/TestEnvironment.h"

#include <QTest>

using StatusIcon::Tint;

// The tray shield follows the application state: tint, count, and the end of "recent".
class TrayIconTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_rig = std::make_unique<FakeBackendHome>(); }

    void cleanup() { m_rig.reset(); }

    void unreachableBackendIsRed()
    {
        m_rig->backend.goDown();
        AppState state;
        TrayIcon tray(state);
        QTest::qWait(300);
        QCOMPARE(tray.tint(), Tint::Red);
        QCOMPARE(tray.count(), std::nullopt);
        QVERIFY(!tray.icon().icon().isNull());
    }

    void recentEventIsOrangeUntilFiveMinutesHavePassed()
    {
        const QDateTime almostStale = QDateTime::currentDateTimeUtc().addMSecs(-299300);
        m_rig->backend.alerts = {{"camera", "Zoom", "", Timestamp::format(almostStale), std::nullopt}};
        AppState state;
        TrayIcon tray(state);
        QTRY_COMPARE(tray.tint(), Tint::Orange);
        QCOMPARE(tray.count(), 2);
        // No state change follows: the icon's own timer ends "recent".
        QTRY_COMPARE_WITH_TIMEOUT(tray.tint(), Tint::Primary, 5000);
    }

    void noCountWhenTodayIsZero()
    {
        m_rig->backend.stats["today"] = 0;
        AppState state;
        TrayIcon tray(state);
        QTRY_VERIFY(state.stats().has_value());
        QCOMPARE(tray.count(), std::nullopt);
        QCOMPARE(tray.tint(), Tint::Primary);
    }

private:
    std::unique_ptr<FakeBackendHome> m_rig;
};

QTEST_MAIN(TrayIconTest)
#include "tst_trayicon.moc"
