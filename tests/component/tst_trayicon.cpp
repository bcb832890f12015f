#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "model/Timestamp.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/TestEnvironment.h"

#include "app/StatusNotifierItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
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
        QVERIFY(!tray.icon().isNull());
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

    // On a StatusNotifier host the plain shield also goes by its theme name, where the theme holds it,
    // so hosts recolour it for their bar; tints and the badge exist only in pixels, drawn light for
    // the hosts' dark bars.
    void statusNotifierIconGoesByNameOnlyWhenPlainAndInstalled_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("backendDown");
        QTest::addColumn<int>("today");
        QTest::addColumn<QString>("name");
        const QString symbolic = QString::fromLatin1(TrayIcon::themeIconName);
        QTest::newRow("plain, installed") << true << false << 0 << symbolic;
        QTest::newRow("plain, not installed") << false << false << 0 << QString();
        QTest::newRow("with a count") << true << false << 3 << QString();
        QTest::newRow("backend down") << true << true << 0 << QString();
    }
    void statusNotifierIconGoesByNameOnlyWhenPlainAndInstalled()
    {
        QFETCH(bool, installed);
        QFETCH(bool, backendDown);
        QFETCH(int, today);
        QFETCH(QString, name);
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        qputenv("XDG_DATA_DIRS", data.filePath("none").toUtf8());
        if (installed) {
            const QString icon = data.filePath(QStringLiteral("icons/hicolor/symbolic/apps/%1.svg")
                                                   .arg(QLatin1String(TrayIcon::themeIconName)));
            QVERIFY(QDir().mkpath(QFileInfo(icon).path()));
            QFile file(icon);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(TrayIcon::themeIconInstalled(), installed);
        m_rig->backend.stats["today"] = today;
        if (backendDown)
            m_rig->backend.goDown();
        AppState state;
        TrayIcon tray(state, {}, TrayIcon::Host::StatusNotifier);
        QVERIFY(tray.statusNotifierItem());
        QTRY_COMPARE(tray.tint(), backendDown ? Tint::Red : Tint::Primary);
        QTRY_COMPARE(tray.count(), today ? std::optional<int>(today) : std::nullopt);
        QCOMPARE(tray.statusNotifierItem()->iconName(), name);
        // The pixels are always there, for hosts that find no name.
        QVERIFY(!tray.statusNotifierItem()->iconPixmaps().isEmpty());
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
    }

    void statusNotifierShieldIsLightForDarkBars()
    {
        AppState state;
        TrayIcon tray(state, {}, TrayIcon::Host::StatusNotifier);
        QTRY_COMPARE(tray.tint(), Tint::Primary);
        const QImage image = tray.icon().pixmap(QSize(22, 22)).toImage();
        int lightest = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) == 255)
                    lightest = std::max(lightest, qGray(image.pixel(x, y)));
        QVERIFY2(lightest >= 200, qPrintable(QString::number(lightest)));
    }

private:
    std::unique_ptr<FakeBackendHome> m_rig;
};

QTEST_MAIN(TrayIconTest)
#include "tst_trayicon.moc"
