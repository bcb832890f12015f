#include "platform/Settings.h"
#include "support/FakeProcTree.h"
#include "support/HalvexdProcess.h"
#include "support/ScreenPixels.h"
#include "support/TestEnvironment.h"
#include "support/WaylandDesktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace ScreenPixels;

namespace {

// Longer than GTK's double-click time (400 ms).
constexpr int doubleClickPause = 700;
// How close the popup must come to the corner of the bar that holds the icon.
constexpr int nearCorner = 20;

// What appeared in a strip between two pictures of it: the leftmost run of changed columns (a clock
// further right may tick meanwhile), as the rectangle of its changed pixels.
QRect appearedIn(const QImage& before, const QImage& after, const QRect& strip)
{
    QRect run;
    int gap = 0;
    for (int x = strip.left(); x <= strip.right(); ++x) {
        QRect column;
        for (int y = strip.top(); y <= strip.bottom(); ++y) {
            if (before.pixel(x, y) != after.pixel(x, y))
                column |= QRect(x, y, 1, 1);
        }
        if (!column.isNull()) {
            run |= column;
            gap = 0;
        } else if (!run.isNull() && ++gap > 4) {
            break;
        }
    }
    return run;
}

// Every node of sway's tree whose app id is ours, and whether it floats.
void collectOurWindows(const QJsonObject& node, bool floating, QList<QPair<QJsonObject, bool>>& found)
{
    if (node.value(u"app_id").toString() == u"org.halvex.Halvex")
        found.append({node, floating});
    for (const QJsonValue& child : node.value(u"nodes").toArray())
        collectOurWindows(child.toObject(), floating, found);
    for (const QJsonValue& child : node.value(u"floating_nodes").toArray())
        collectOurWindows(child.toObject(), true, found);
}

} // namespace

// halvex on a Wayland desktop as a user meets it: headless sway with waybar's StatusNotifierItem
// tray at the top or the bottom, mako, halvexd on a free port. The shield shows in the bar, legible on
// it; a camera access raises a notice; a second launch shows the panel; a
// click on it opens the panel as a popup at the bar's corner, not as a tiled window; Escape and a
// second click close it. A bar that starts after halvex still gets the icon, and the window halvex
// opened meanwhile, floating at the panel's size, goes away. The set-up window floats at its fixed size.
class WaylandTrayTest : public QObject
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

    void cleanup()
    {
        // halvex goes first, while its compositor is still there to see it out.
        stopHalvex();
        m_desktop.reset();
        m_backend.reset();
        m_tree.reset();
        m_home.reset();
    }

    void panelOpensAtTheIconsCorner_data()
    {
        QTest::addColumn<WaylandDesktop::Bar>("bar");
        QTest::newRow("bar at the top") << WaylandDesktop::Bar::Top;
        QTest::newRow("bar at the bottom") << WaylandDesktop::Bar::Bottom;
    }
    void panelOpensAtTheIconsCorner()
    {
        QFETCH(WaylandDesktop::Bar, bar);
        m_desktop = std::make_unique<WaylandDesktop>(WaylandDesktop::Options{bar});
        WaylandDesktop& desktop = *m_desktop;
        START_WAYLAND_DESKTOP_OR_SKIP(desktop);
        const QSize output = desktop.outputSize();
        const bool top = bar == WaylandDesktop::Bar::Top;
        const QString name = top ? QStringLiteral("top") : QStringLiteral("bottom");
        const QImage before = desktop.screenshot(shot("wayland-bar-" + name + "-before.png"));
        const QRect strip =
            top ? QRect(0, 0, output.width(), 26) : QRect(0, output.height() - 26, output.width(), 26);

        startHalvex(desktop, true);

        if (QTest::currentTestFailed())

            return;
        QTRY_VERIFY_WITH_TIMEOUT(itemRegistered(desktop), 20000);
        // The icon is what appeared in the bar; it is legible on the bar's own colour.
        QRect icon;
        QImage withIcon;
        QTRY_VERIFY_WITH_TIMEOUT(
            (icon = appearedIn(before, withIcon = desktop.screenshot(shot("wayland-bar-" + name + ".png")),
                               strip))
                    .width() >= 8,
            10000);
        QVERIFY2(icon.width() <= 64 && icon.right() > output.width() / 2, qPrintable(describe(icon)));
        const QColor barColour = before.pixelColor(icon.center());
        const double best = bestContrast(withIcon, icon, barColour);
        QVERIFY2(best >= 3.0, qPrintable(QStringLiteral("best contrast %1").arg(best)));

        // A program takes the camera: the notice reaches the session's notification daemon.
        const QString video = m_tree->addNode(QStringLiteral("video0"));
        m_tree->addProcess(4242, QStringLiteral("zoom"), QString(), {video});
        QTRY_VERIFY_WITH_TIMEOUT(noticeSays(desktop, "is using your camera"), 20000);

        // A click on the icon opens the panel beside it, as a popup.
        QVERIFY(desktop.click(icon.center()));
        QRect panel;
        QTRY_VERIFY_WITH_TIMEOUT(
            (panel = boundsOf(desktop.screenshot(shot("wayland-panel-" + name + ".png")), panelBackground))
                .isValid(),
            10000);
        QCOMPARE(panel.width(), 320);
        QVERIFY2(output.width() - 1 - panel.right() <= nearCorner, qPrintable(describe(panel)));
        if (top)
            QVERIFY2(panel.top() > strip.bottom() && panel.top() - strip.bottom() <= nearCorner,
                     qPrintable(describe(panel)));
        else
            QVERIFY2(panel.bottom() < strip.top() && strip.top() - panel.bottom() <= nearCorner,
                     qPrintable(describe(panel)));
        QVERIFY2(ourWindows(desktop).isEmpty(), "the panel is in sway's tree as a window");

        // Escape closes it; a click opens it again, and a second click closes it.
        QCOMPARE(desktop.run("wtype", {"-k", "Escape"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(
            !boundsOf(desktop.screenshot(shot("wayland-escape.png")), panelBackground).isValid(), 10000);
        // Two clicks within GTK's double-click time are a double click, which waybar passes on as a
        // third activation: each click comes later than that, as a user's would.
        QTest::qWait(doubleClickPause);
        QVERIFY(desktop.click(icon.center()));
        QTRY_VERIFY_WITH_TIMEOUT(
            boundsOf(desktop.screenshot(shot("wayland-again.png")), panelBackground).isValid(), 10000);
        QTest::qWait(doubleClickPause);
        QVERIFY(desktop.click(icon.center()));
        QTRY_VERIFY_WITH_TIMEOUT(
            !boundsOf(desktop.screenshot(shot("wayland-closed.png")), panelBackground).isValid(), 10000);
        QVERIFY(halvexRunning());

        // Launching Halvex again hands over: the running one shows its panel, the second leaves.
        QProcess second;
        second.setProcessEnvironment(m_halvex.processEnvironment());
        second.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"));
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().right(2000).constData());
        QTRY_VERIFY_WITH_TIMEOUT(
            boundsOf(desktop.screenshot(shot("wayland-second-launch.png")), panelBackground).width() == 320,
            10000);
    }

    // No tray at launch: the panel opens as a window; when the bar comes, the icon takes over.
    void lateTrayTakesOverFromTheWindow()
    {
        m_desktop = std::make_unique<WaylandDesktop>(WaylandDesktop::Options{WaylandDesktop::Bar::Top, 6});
        WaylandDesktop& desktop = *m_desktop;
        START_WAYLAND_DESKTOP_OR_SKIP(desktop);
        startHalvex(desktop, true);
        if (QTest::currentTestFailed())
            return;
        QList<QPair<QJsonObject, bool>> windows;
        QTRY_VERIFY_WITH_TIMEOUT((windows = ourWindows(desktop)).size() == 1, 15000);
        // The window is the panel at its own size, floating: a tiler does not stretch it over the screen.
        QCOMPARE(windows.first().first.value(u"name").toString(), QStringLiteral("Halvex Panel"));
        QVERIFY(windows.first().second);
        QCOMPARE(windows.first().first.value(u"window_rect").toObject().value(u"width").toInt(), 320);
        desktop.screenshot(shot("wayland-no-tray-yet.png"));
        QTRY_VERIFY_WITH_TIMEOUT(desktop.trayAvailable(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(itemRegistered(desktop), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(ourWindows(desktop).isEmpty(), 10000);
        desktop.screenshot(shot("wayland-late-tray.png"));
        QVERIFY(halvexRunning());
    }

    // The first launch's set-up window keeps its fixed size: sway floats it instead of tiling it.
    void setupWindowFloatsAtItsSize()
    {
        m_desktop = std::make_unique<WaylandDesktop>(WaylandDesktop::Options{});
        WaylandDesktop& desktop = *m_desktop;
        START_WAYLAND_DESKTOP_OR_SKIP(desktop);
        startHalvex(desktop, false);
        if (QTest::currentTestFailed())
            return;
        QList<QPair<QJsonObject, bool>> windows;
        QTRY_VERIFY_WITH_TIMEOUT((windows = ourWindows(desktop)).size() == 1, 15000);
        const QJsonObject setup = windows.first().first;
        QCOMPARE(setup.value(u"name").toString(), QStringLiteral("Halvex Setup"));
        QVERIFY(windows.first().second);
        const QJsonObject rect = setup.value(u"window_rect").toObject();
        QCOMPARE(rect.value(u"width").toInt(), 440);
        QCOMPARE(rect.value(u"height").toInt(), 560);
        desktop.screenshot(shot("wayland-setup.png"));
    }

private:
    void startHalvex(const WaylandDesktop& desktop, bool onboarded)
    {
        m_home = std::make_unique<TemporaryHome>();
        m_tree = std::make_unique<FakeProcTree>();
        m_backend = std::make_unique<HalvexdProcess>(m_home->path(), m_home->path());
        QVERIFY(m_backend->start());
        Settings().setValue(SettingsKey::serverURL, m_backend->baseUrl());
        Settings().setHasOnboarded(onboarded);
        QProcessEnvironment environment = desktop.environment();
        environment.insert("HOME", m_home->path());
        environment.insert("HALVEX_PLATFORM", "linux");
        environment.insert("HALVEX_PROC_ROOT", m_tree->procRoot());
        environment.insert("HALVEX_DEV_ROOT", m_tree->devRoot());
        environment.insert("HALVEX_TOOL_PW_DUMP", m_missingTools.path() + "/pw-dump");
        environment.insert("HALVEX_TOOL_PACTL", m_missingTools.path() + "/pactl");
        environment.remove("HALVEX_VENDOR_URL");
        m_halvex.setProcessEnvironment(environment);
        m_halvex.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_halvex.setStandardOutputFile(m_home->path() + "/halvex.log");
        m_halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"));
        QVERIFY(m_halvex.waitForStarted());
    }

    bool halvexRunning() const { return m_halvex.state() == QProcess::Running; }

    void stopHalvex()
    {
        if (m_halvex.state() == QProcess::NotRunning)
            return;
        m_halvex.terminate();
        if (!m_halvex.waitForFinished(10000))
            m_halvex.kill();
        m_halvex.waitForFinished(2000);
    }

    // Our item is among those the bar's watcher holds.
    bool itemRegistered(const WaylandDesktop& desktop) const
    {
        // One connection per session's bus: a name already used would return the last session's.
        const QString address = desktop.variable("DBUS_SESSION_BUS_ADDRESS");
        QDBusConnection bus =
            QDBusConnection::connectToBus(address, QStringLiteral("waylandtray ") + address);
        QDBusMessage get =
            QDBusMessage::createMethodCall("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                           "org.freedesktop.DBus.Properties", "Get");
        get << QStringLiteral("org.kde.StatusNotifierWatcher")
            << QStringLiteral("RegisteredStatusNotifierItems");
        const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return false;
        const QStringList items =
            qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toStringList();
        const QString ours = QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(m_halvex.processId());
        return std::any_of(items.begin(), items.end(),
                           [&ours](const QString& item) { return item.startsWith(ours); });
    }

    static bool noticeSays(const WaylandDesktop& desktop, const char* words)
    {
        const QList<WaylandDesktop::Notice> notices = desktop.notices();
        return std::any_of(notices.begin(), notices.end(), [words](const WaylandDesktop::Notice& notice) {
            return notice.summary.contains(QLatin1String(words)) ||
                   notice.body.contains(QLatin1String(words));
        });
    }

    QList<QPair<QJsonObject, bool>> ourWindows(const WaylandDesktop& desktop) const
    {
        QList<QPair<QJsonObject, bool>> found;
        collectOurWindows(desktop.tree().object(), false, found);
        return found;
    }

    static QString shot(const QString& name) { return QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/") + name; }

    static QString describe(const QRect& rect)
    {
        return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
    }

    std::unique_ptr<WaylandDesktop> m_desktop;
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<HalvexdProcess> m_backend;
    std::unique_ptr<FakeProcTree> m_tree;
    QTemporaryDir m_missingTools;
    QProcess m_halvex;
};

QTEST_MAIN(WaylandTrayTest)
#include "tst_waylandtray.moc"
