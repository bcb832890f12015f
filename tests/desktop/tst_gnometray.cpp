#include "platform/Settings.h"
#include "support/FakeProcTree.h"
#include "support/GnomeDesktop.h"
#include "support/HalvexdProcess.h"
#include "support/ScreenPixels.h"
#include "support/TestEnvironment.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace ScreenPixels;

namespace {

// How close the panel must come to the icon it was opened from.
constexpr int nearIcon = 20;

// The distance between two rectangles, 0 when they touch or overlap.
int distance(const QRect& a, const QRect& b)
{
    const int dx = std::max({0, b.left() - a.right() - 1, a.left() - b.right() - 1});
    const int dy = std::max({0, b.top() - a.bottom() - 1, a.top() - b.bottom() - 1});
    return std::max(dx, dy);
}

QString describe(const QRect& rect)
{
    return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

QString shot(const QString& name)
{
    return QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/") + name;
}

} // namespace

// halvex on GNOME Shell 43 as its users meet it: a Wayland session where Halvex runs on Xwayland.
// With Ubuntu's AppIndicator extension the shield shows in the top bar, legible on it; a click opens
// the menu the shell draws from our DBusMenu, whose first item "Show Halvex" opens the panel, and a
// double click (the extension's Activate, with the click's position) opens it under the icon.
// Stock GNOME has no tray: the panel opens as a window of its fixed size with Mutter's title bar,
// which cannot be maximised.
class GnomeTrayTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        const QString reason = GnomeDesktop::unavailableReason();
        if (!reason.isEmpty())
            QSKIP(qPrintable(reason));
        QDir().mkpath(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots"));
    }

    void cleanup()
    {
        // Halvex goes before its session, which it would otherwise see die under it.
        stopHalvex();
        m_desktop.reset();
        m_backend.reset();
        m_home.reset();
    }

    void shieldAndMenuInTheTopBar()
    {
        if (!startSession({}))
            return;
        GnomeDesktop& desktop = *m_desktop;
        const QSize screen = desktop.screenSize();
        const QRect bar = desktop.topBar();
        QVERIFY2(bar.isValid() && bar.top() == 0 && bar.width() == screen.width(), qPrintable(describe(bar)));
        const QImage before = desktop.screenshot(shot("gnome-bar-before.png"));
        QVERIFY(!before.isNull());

        startHalvex(desktop);
        QTRY_VERIFY_WITH_TIMEOUT(itemRegistered(desktop), 20000);
        QRect button;
        QTRY_VERIFY_WITH_TIMEOUT((button = desktop.indicatorButton(itemPrefix())).isValid(), 10000);
        QVERIFY2(bar.contains(button) && button.left() > screen.width() / 2, qPrintable(describe(button)));

        // The icon is what appeared in its button; legible on the bar's colour around it.
        QRect icon;
        QImage withIcon;
        QTRY_VERIFY_WITH_TIMEOUT(
            (icon = changedWithin(before, withIcon = desktop.screenshot(shot("gnome-bar.png")), button))
                    .width() >= 8,
            10000);
        QVERIFY2(icon.width() <= 32 && icon.height() <= 32, qPrintable(describe(icon)));
        const QColor barColour = before.pixelColor(icon.center());
        const double best = bestContrast(withIcon, icon, barColour);
        QVERIFY2(best >= 3.0,
                 qPrintable(QStringLiteral("best contrast %1 against %2").arg(best).arg(barColour.name())));

        // Our menu as exported, and a click on the icon: the shell opens it, "Show Halvex" first.
        QStringList exported;
        QTRY_VERIFY_WITH_TIMEOUT(!(exported = exportedMenu(desktop)).isEmpty(), 10000);
        QVERIFY2(!exported.isEmpty() && exported.first() == u"Show Halvex", qPrintable(exported.join(", ")));
        // On a loaded machine the shell may drop a click on an item it is still building; a user clicks
        // again, and so does the test, up to three times.
        QList<QPair<QString, QRect>> items;
        for (int attempt = 0; attempt < 3; ++attempt) {
            QVERIFY(desktop.click(button.center()));
            if (QTest::qWaitFor([&] { return !(items = desktop.openIndicatorMenu(itemPrefix())).isEmpty(); },
                                5000))
                break;
        }
        QVERIFY2(!items.isEmpty(), "three clicks on the icon opened no menu");
        QCOMPARE(items.first().first, QStringLiteral("Show Halvex"));
        const QImage menu = desktop.screenshot(shot("gnome-menu.png"));
        QVERIFY(!menu.isNull());
        QVERIFY(!windowRect(desktop).isValid());

        // Its first item opens the panel: a 320-wide window of ours at the top right, under the bar.
        QVERIFY(desktop.click(items.first().second.center()));
        QRect window;
        QTRY_VERIFY_WITH_TIMEOUT((window = windowRect(desktop)).isValid(), 10000);
        QCOMPARE(window.width(), 320);
        QRect drawn;
        QTRY_VERIFY_WITH_TIMEOUT(
            (drawn = boundsOf(desktop.screenshot(shot("gnome-show-halvex.png")), panelBackground)).isValid(),
            10000);
        QCOMPARE(drawn.width(), 320);
        QVERIFY2(drawn.top() > bar.bottom() && drawn.top() - bar.bottom() <= nearIcon,
                 qPrintable(describe(drawn)));
        QVERIFY2(screen.width() - 1 - drawn.right() <= nearIcon, qPrintable(describe(drawn)));

        // Escape closes it.
        QVERIFY(desktop.pressKey("Escape"));
        QTRY_VERIFY_WITH_TIMEOUT(!windowRect(desktop).isValid(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            !boundsOf(desktop.screenshot(shot("gnome-escape.png")), panelBackground).isValid(), 10000);
        QVERIFY(halvexRunning());
    }

    // A double click on the icon is the extension's Activate(x, y), with the click's position on the
    // screen: the panel opens there, under the bar beside the icon.
    void doubleClickOpensThePanelAtTheIcon()
    {
        if (!startSession({}))
            return;
        GnomeDesktop& desktop = *m_desktop;
        const QSize screen = desktop.screenSize();
        const QRect bar = desktop.topBar();
        startHalvex(desktop);
        QTRY_VERIFY_WITH_TIMEOUT(itemRegistered(desktop), 20000);
        QRect button;
        QTRY_VERIFY_WITH_TIMEOUT((button = desktop.indicatorButton(itemPrefix())).isValid(), 10000);
        // Halvex registers its item before it fills the menu and makes the panel, and drops an
        // activation that comes before: a user's first click comes later than that.
        QTRY_VERIFY_WITH_TIMEOUT(!exportedMenu(desktop).isEmpty(), 10000);

        QVERIFY(desktop.doubleClick(button.center()));
        QRect window;
        QTRY_VERIFY_WITH_TIMEOUT((window = windowRect(desktop)).isValid(), 10000);
        // The extension keeps whether the item answered Activate: it did.
        const std::optional<QJsonValue> activated = desktop.eval(
            QStringLiteral("Object.entries(Main.panel.statusArea).find(([key, item]) => item && "
                           "key.startsWith('appindicator-%1'))?.[1]._indicator.supportsActivation")
                .arg(itemPrefix()));
        QVERIFY(activated && activated->toBool());
        QRect drawn;
        QTRY_VERIFY_WITH_TIMEOUT(
            (drawn = boundsOf(desktop.screenshot(shot("gnome-activate.png")), panelBackground)).isValid(),
            10000);
        QCOMPARE(drawn.width(), 320);
        QVERIFY2(drawn.top() > bar.bottom(), qPrintable(describe(drawn)));
        QVERIFY2(distance(drawn, button) <= nearIcon,
                 qPrintable(describe(drawn) + QStringLiteral(" icon ") + describe(button)));
        QVERIFY2(drawn.right() > screen.width() / 2 && drawn.right() < screen.width(),
                 qPrintable(describe(drawn)));
        QVERIFY(halvexRunning());
    }

    // Stock GNOME: no StatusNotifierWatcher, so no tray. The panel is a window of its own size,
    // decorated by Mutter (server-side on Xwayland), which refuses to maximise it.
    void withoutATrayThePanelIsAFixedWindow()
    {
        if (!startSession({.appIndicator = false}))
            return;
        GnomeDesktop& desktop = *m_desktop;
        QVERIFY(!watcherPresent(desktop));
        startHalvex(desktop);
        GnomeDesktop::Window window;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const GnomeDesktop::Window& candidate : desktop.windows("halvex")) {
                    if (candidate.title == u"Halvex Panel") {
                        window = candidate;
                        return true;
                    }
                }
                return false;
            }(),
            15000);
        QVERIFY2(window.x11, "Halvex does not run on Xwayland");
        QCOMPARE(window.client.width(), 320);
        QVERIFY2(window.decorated && window.frame.top() < window.client.top(),
                 qPrintable(describe(window.frame) + QStringLiteral(" client ") + describe(window.client)));
        QVERIFY(!window.resizable);
        QVERIFY(!window.maximizable);

        // Mutter draws the title bar: the strip above the client differs from the desktop around it.
        QImage picture;
        QRect drawn;
        QTRY_VERIFY_WITH_TIMEOUT(
            (drawn = boundsOf(picture = desktop.screenshot(shot("gnome-no-tray.png")), panelBackground))
                .isValid(),
            10000);
        QCOMPARE(drawn.width(), 320);
        const QRect titleBar(window.frame.left(), window.frame.top(), window.frame.width(),
                             window.client.top() - window.frame.top());
        QSet<QRgb> colours;
        for (int y = titleBar.top(); y <= titleBar.bottom(); ++y)
            for (int x = titleBar.left(); x <= titleBar.right(); ++x)
                colours.insert(picture.pixel(x, y));
        QVERIFY2(colours.size() >= 3, qPrintable(describe(titleBar)));
        // ... in its dark variant, as the dark window below it asks: not a light bar over the panel.
        const QColor titleColour = picture.pixelColor(titleBar.left() + 20, titleBar.center().y());
        QVERIFY2(titleColour.lightness() < 96, qPrintable(titleColour.name()));

        // A double click on the title bar, which maximises other windows, leaves it as it is.
        QVERIFY(desktop.doubleClick(titleBar.center()));
        QTest::qWait(1000);
        const QList<GnomeDesktop::Window> after = desktop.windows("halvex");
        QVERIFY(!after.isEmpty());
        QCOMPARE(after.first().client.size(), window.client.size());
        desktop.screenshot(shot("gnome-no-tray-title-double-click.png"));
        QVERIFY(halvexRunning());
    }

private:
    // The session of this test function; a session that cannot start where GNOME Shell is installed
    // fails the test with the script's error lines. False when the test function must return.
    bool startSession(const GnomeDesktop::Options& options)
    {
        m_desktop = std::make_unique<GnomeDesktop>(options);
        if (m_desktop->start())
            return true;
        if (m_desktop->unavailable())
            QTest::qSkip(qPrintable(m_desktop->errorString()), __FILE__, __LINE__);
        else
            QTest::qFail(qPrintable(m_desktop->errorString()), __FILE__, __LINE__);
        return false;
    }

    void startHalvex(const GnomeDesktop& desktop)
    {
        m_home = std::make_unique<TemporaryHome>();
        m_backend = std::make_unique<HalvexdProcess>(m_home->path(), m_home->path());
        QVERIFY(m_backend->start());
        Settings().setValue(SettingsKey::serverURL, m_backend->baseUrl());
        Settings().setHasOnboarded(true);
        QProcessEnvironment environment = desktop.environment();
        environment.insert("HOME", m_home->path());
        environment.insert("HALVEX_PLATFORM", "linux");
        environment.insert("HALVEX_PROC_ROOT", m_tree.procRoot());
        environment.insert("HALVEX_DEV_ROOT", m_tree.devRoot());
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

    QString itemPrefix() const
    {
        return QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(m_halvex.processId());
    }

    QDBusConnection bus(const GnomeDesktop& desktop) const
    {
        // One connection per session's bus: a name already used would return the last session's.
        const QString address = desktop.variable("DBUS_SESSION_BUS_ADDRESS");
        return QDBusConnection::connectToBus(address, QStringLiteral("gnometray ") + address);
    }

    bool watcherPresent(const GnomeDesktop& desktop) const
    {
        return bus(desktop).interface()->isServiceRegistered("org.kde.StatusNotifierWatcher");
    }

    // Our item's bus name among those the extension's watcher holds; empty while it is not there.
    QString registeredItem(const GnomeDesktop& desktop) const
    {
        QDBusMessage get =
            QDBusMessage::createMethodCall("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                           "org.freedesktop.DBus.Properties", "Get");
        get << QStringLiteral("org.kde.StatusNotifierWatcher")
            << QStringLiteral("RegisteredStatusNotifierItems");
        const QDBusMessage reply = bus(desktop).call(get, QDBus::Block, 2000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        const QStringList items =
            qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toStringList();
        for (const QString& item : items) {
            if (item.startsWith(itemPrefix()))
                return item;
        }
        return {};
    }

    bool itemRegistered(const GnomeDesktop& desktop) const { return !registeredItem(desktop).isEmpty(); }

    // The labels of the top level of our DBusMenu, as the shell reads them (GetLayout).
    QStringList exportedMenu(const GnomeDesktop& desktop) const
    {
        QStringList labels;
        const QString service = registeredItem(desktop);
        QDBusMessage get = QDBusMessage::createMethodCall(service, "/StatusNotifierItem",
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Menu");
        const QDBusMessage menu = bus(desktop).call(get, QDBus::Block, 2000);
        if (menu.type() != QDBusMessage::ReplyMessage || menu.arguments().isEmpty())
            return labels;
        const QDBusObjectPath path =
            qvariant_cast<QDBusObjectPath>(qvariant_cast<QDBusVariant>(menu.arguments().first()).variant());
        QDBusMessage layout =
            QDBusMessage::createMethodCall(service, path.path(), "com.canonical.dbusmenu", "GetLayout");
        layout << 0 << 1 << QStringList();
        const QDBusMessage reply = bus(desktop).call(layout, QDBus::Block, 2000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
            return labels;
        const QDBusArgument root = reply.arguments().at(1).value<QDBusArgument>();
        int id = 0;
        QVariantMap properties;
        root.beginStructure();
        root >> id >> properties;
        root.beginArray();
        while (!root.atEnd()) {
            QDBusVariant child;
            root >> child;
            const QDBusArgument item = child.variant().value<QDBusArgument>();
            int childId = 0;
            QVariantMap childProperties;
            item.beginStructure();
            item >> childId >> childProperties;
            item.endStructure();
            if (childProperties.value("type").toString() != u"separator")
                labels << childProperties.value("label").toString();
        }
        root.endArray();
        root.endStructure();
        return labels;
    }

    // The visible window of ours that is 320 pixels wide, as the X server holds it.
    QRect windowRect(const GnomeDesktop& desktop) const
    {
        QByteArray ids;
        desktop.run("xdotool", {"search", "--onlyvisible", "--class", "halvex"}, &ids);
        for (const QByteArray& id : ids.split('\n')) {
            if (id.trimmed().isEmpty())
                continue;
            QByteArray geometry;
            desktop.run("xdotool", {"getwindowgeometry", "--shell", QString::fromUtf8(id.trimmed())},
                        &geometry);
            QHash<QByteArray, int> values;
            for (const QByteArray& line : geometry.split('\n')) {
                const qsizetype equals = line.indexOf('=');
                if (equals > 0)
                    values.insert(line.left(equals), line.mid(equals + 1).toInt());
            }
            const QRect rect(values.value("X"), values.value("Y"), values.value("WIDTH"),
                             values.value("HEIGHT"));
            if (rect.width() == 320)
                return rect;
        }
        return {};
    }

    std::unique_ptr<GnomeDesktop> m_desktop;
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<HalvexdProcess> m_backend;
    FakeProcTree m_tree;
    QTemporaryDir m_missingTools;
    QProcess m_halvex;
};

QTEST_MAIN(GnomeTrayTest)
#include "tst_gnometray.moc"
