#include "support/WaylandDesktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QRect>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

// The Wayland desktop the tray application meets on sway, before any of ours runs in it: headless
// sway, waybar's StatusNotifierItem tray on a dark bar at the top or the bottom, mako for notices,
// and a seat that takes clicks. A tray that starts late is not there at first and comes later.
class WaylandSessionTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        const QString reason = WaylandDesktop::unavailableReason();
        if (!reason.isEmpty())
            QSKIP(qPrintable(reason));
        QDir().mkpath(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots"));
    }

    void sessionComesUpWithTheTrayOnItsBar_data()
    {
        QTest::addColumn<WaylandDesktop::Bar>("bar");
        QTest::newRow("bar at the top") << WaylandDesktop::Bar::Top;
        QTest::newRow("bar at the bottom") << WaylandDesktop::Bar::Bottom;
    }
    void sessionComesUpWithTheTrayOnItsBar()
    {
        QFETCH(WaylandDesktop::Bar, bar);
        WaylandDesktop desktop({bar});
        START_WAYLAND_DESKTOP_OR_SKIP(desktop);

        // Clients reach the compositor by an absolute path, with a runtime directory of their own.
        const QString display = desktop.variable("WAYLAND_DISPLAY");
        QVERIFY2(QDir::isAbsolutePath(display) && QFileInfo::exists(display), qPrintable(display));
        const QFileInfo runtime(desktop.variable("XDG_RUNTIME_DIR"));
        QVERIFY(runtime.isDir());
        QCOMPARE(runtime.ownerId(), ::geteuid());
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QVERIFY(!(runtime.permissions() & others));
        QVERIFY(!desktop.variable("SWAYSOCK").isEmpty());
        if (::geteuid() == 0) {
            // sway itself runs as the unprivileged user, and owns the socket.
            QCOMPARE(desktop.variable("SESSION_USER"), QStringLiteral("halvex-desktop"));
            const passwd* user = ::getpwnam("halvex-desktop");
            QVERIFY(user);
            QCOMPARE(QFileInfo(display).ownerId(), user->pw_uid);
        }

        QVERIFY(desktop.waitForTray(5000));
        const QSize size = desktop.outputSize();
        QCOMPARE(size, QSize(1366, 768));

        // The bar keeps its strip of the screen to itself: windows get the rest.
        const QRect area = usableArea(desktop.tree());
        QVERIFY(area.isValid());
        QCOMPARE(area.width(), size.width());
        const QRect strip = bar == WaylandDesktop::Bar::Top ? QRect(0, 0, size.width(), area.top())
                                                            : QRect(0, area.bottom() + 1, size.width(),
                                                                    size.height() - area.bottom() - 1);
        QVERIFY2(strip.height() >= 20 && strip.height() <= 60, qPrintable(describe(strip)));

        const QImage shot = desktop.screenshot(
            shotPath(bar == WaylandDesktop::Bar::Top ? "wayland-session-top" : "wayland-session-bottom"));
        QCOMPARE(shot.size(), size);
        QVERIFY2(barIsDrawn(shot, strip), qPrintable(describe(strip)));
        // Beyond the bar's strip lies the lighter desktop, on both sides of the screen.
        const int outside = bar == WaylandDesktop::Bar::Top ? strip.bottom() + 10 : strip.top() - 10;
        QVERIFY(!rowIsDark(shot, outside));
        const int otherEdge = bar == WaylandDesktop::Bar::Top ? size.height() - 3 : 2;
        QVERIFY(!rowIsDark(shot, otherEdge));
    }

    // A click at a point of the screen reaches the client there: waybar's clock shows the date when
    // clicked, and its text grows to the left.
    void clickReachesTheClientUnderThePointer()
    {
        WaylandDesktop desktop;
        START_WAYLAND_DESKTOP_OR_SKIP(desktop);
        const QRect strip(0, 0, 1366, usableArea(desktop.tree()).top());
        QVERIFY(strip.height() > 0);
        const int before = leftmostText(desktop.screenshot(shotPath("wayland-clock-before")), strip);
        QVERIFY2(before > 1200 && before < 1366, qPrintable(QString::number(before)));

        QVERIFY(desktop.click({(before + 1366) / 2, strip.center().y()}));
        int after = before;
        QTRY_VERIFY2_WITH_TIMEOUT(
            (after = leftmostText(desktop.screenshot(shotPath("wayland-clock-after")), strip)) < before - 30,
            qPrintable(QStringLiteral("clock text from x %1, then %2").arg(before).arg(after)), 10000);
    }

    // mako holds each notice, even one that asks to go away at once, so tests can read them later.
    void noticesStayWithTheNotificationDaemon()
    {
        WaylandDesktop desktop;
        START_WAYLAND_DESKTOP_OR_SKIP(desktop);
        QDBusConnection bus =
            QDBusConnection::connectToBus(desktop.variable("DBUS_SESSION_BUS_ADDRESS"), "notice-sender");
        QDBusMessage notify =
            QDBusMessage::createMethodCall("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                           "org.freedesktop.Notifications", "Notify");
        notify << QStringLiteral("tst_waylandsession") << 0u << QString() << QStringLiteral("Camera in use")
               << QStringLiteral("zoom is using your camera") << QStringList() << QVariantMap() << 100;
        const QDBusMessage reply = bus.call(notify, QDBus::Block, 5000);
        QDBusConnection::disconnectFromBus("notice-sender");
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);

        QTest::qWait(600); // well past the time-out the notice asked for
        const QList<WaylandDesktop::Notice> notices = desktop.notices();
        QCOMPARE(notices.size(), 1);
        QCOMPARE(notices.constFirst().appName, QStringLiteral("tst_waylandsession"));
        QCOMPARE(notices.constFirst().summary, QStringLiteral("Camera in use"));
        QCOMPARE(notices.constFirst().body, QStringLiteral("zoom is using your camera"));
    }

    void lateBarBringsItsTrayLater()
    {
        WaylandDesktop desktop({WaylandDesktop::Bar::Top, 3});
        START_WAYLAND_DESKTOP_OR_SKIP(desktop);
        QElapsedTimer sinceReady;
        sinceReady.start();
        QVERIFY(!desktop.trayAvailable());
        QVERIFY(!rowIsDark(desktop.screenshot(shotPath("wayland-session-no-bar-yet")), 10));

        QVERIFY(desktop.waitForTray(20000));
        QVERIFY2(sinceReady.elapsed() >= 2500, qPrintable(QString::number(sinceReady.elapsed())));
        QTRY_VERIFY_WITH_TIMEOUT(usableArea(desktop.tree()).top() > 0, 10000);
        const QRect strip(0, 0, 1366, usableArea(desktop.tree()).top());
        QTRY_VERIFY_WITH_TIMEOUT(barIsDrawn(desktop.screenshot(shotPath("wayland-session-late-bar")), strip),
                                 10000);
    }

    void sessionWithoutBarHasNoTray()
    {
        WaylandDesktop desktop({WaylandDesktop::Bar::None});
        START_WAYLAND_DESKTOP_OR_SKIP(desktop);
        QCOMPARE(usableArea(desktop.tree()), QRect(QPoint(0, 0), desktop.outputSize()));
        QVERIFY(!desktop.trayAvailable());
        QVERIFY(!rowIsDark(desktop.screenshot(shotPath("wayland-session-without-bar")), 10));
    }

private:
    static QString shotPath(const char* name)
    {
        return QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/%1.png").arg(QLatin1String(name));
    }

    // Where sway puts windows: the first workspace's rectangle, the output less the bar's zone.
    static QRect usableArea(const QJsonDocument& tree)
    {
        for (const QJsonValue& output : tree["nodes"].toArray()) {
            if (output["name"].toString().startsWith("__"))
                continue;
            for (const QJsonValue& workspace : output["nodes"].toArray()) {
                if (workspace["type"].toString() != u"workspace")
                    continue;
                const QJsonObject rect = workspace["rect"].toObject();
                return {rect["x"].toInt(), rect["y"].toInt(), rect["width"].toInt(), rect["height"].toInt()};
            }
        }
        return {};
    }

    static bool isDark(QRgb pixel)
    {
        return qRed(pixel) < 0x30 && qGreen(pixel) < 0x30 && qBlue(pixel) < 0x30;
    }

    // The middle of a row, where the bar has no module.
    static bool rowIsDark(const QImage& shot, int y)
    {
        if (shot.isNull())
            return false;
        for (int x = shot.width() / 3; x < shot.width() * 2 / 3; x += 8) {
            if (!isDark(shot.pixel(x, y)))
                return false;
        }
        return true;
    }

    static bool barIsDrawn(const QImage& shot, const QRect& strip)
    {
        for (int y = strip.top() + 2; y <= strip.bottom() - 2; y += 2) {
            if (!rowIsDark(shot, y))
                return false;
        }
        return !shot.isNull() && strip.height() > 4;
    }

    // The left end of the light text in the right half of the bar; strip.right() + 1 when there is none.
    static int leftmostText(const QImage& shot, const QRect& strip)
    {
        int left = strip.right() + 1;
        if (shot.isNull())
            return left;
        for (int y = strip.top(); y <= strip.bottom(); ++y) {
            for (int x = strip.center().x(); x < left; ++x) {
                if (qGray(shot.pixel(x, y)) > 0x80) {
                    left = x;
                    break;
                }
            }
        }
        return left;
    }

    static QString describe(const QRect& rect)
    {
        return QStringLiteral("bar strip %1,%2 %3x%4")
            .arg(rect.x())
            .arg(rect.y())
            .arg(rect.width())
            .arg(rect.height());
    }
};

QTEST_GUILESS_MAIN(WaylandSessionTest)
#include "tst_waylandsession.moc"
