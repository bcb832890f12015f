#include "app/DBusMenuExporter.h"
#include "app/StatusNotifierItem.h"
#include "fakes/PrivateDBus.h"

#include <QAction>
#include <QActionGroup>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

namespace {

constexpr char watcherService[] = "org.kde.StatusNotifierWatcher";
constexpr char itemInterface[] = "org.kde.StatusNotifierItem";
constexpr char menuInterface[] = "com.canonical.dbusmenu";
constexpr char propertiesInterface[] = "org.freedesktop.DBus.Properties";

QString latin1(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

// A bar's StatusNotifierWatcher on its own connection: it records what registers and says whether a
// host is there. Destroying it releases the name, as a bar that quits does.
class FakeWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    FakeWatcher(const QString& address, bool hostRegistered)
        : m_name(QStringLiteral("fake-watcher-%1").arg(++s_instances)),
          m_connection(QDBusConnection::connectToBus(address, m_name)), m_hostRegistered(hostRegistered)
    {
        m_started = m_connection.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                                                QDBusConnection::ExportAllSlots |
                                                    QDBusConnection::ExportAllProperties |
                                                    QDBusConnection::ExportAllSignals) &&
                    m_connection.registerService(latin1(watcherService));
    }
    ~FakeWatcher() override
    {
        // Released at once, so a watcher started next can take the name.
        m_connection.unregisterService(latin1(watcherService));
        m_connection.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
        QDBusConnection::disconnectFromBus(m_name);
    }

    bool isStarted() const { return m_started; }
    QString uniqueName() const { return m_connection.baseService(); }
    bool isHostRegistered() const { return m_hostRegistered; }
    QStringList items() const { return m_items; }
    QStringList senders() const { return m_senders; }
    int protocolVersion() const { return 0; }

    void setHostRegistered(bool registered)
    {
        m_hostRegistered = registered;
        if (registered)
            Q_EMIT StatusNotifierHostRegistered();
        else
            Q_EMIT StatusNotifierHostUnregistered();
    }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message)
    {
        m_items.append(service);
        m_senders.append(message.service());
        Q_EMIT StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();

private:
    static inline int s_instances = 0;
    QString m_name;
    QDBusConnection m_connection;
    bool m_hostRegistered;
    bool m_started = false;
    QStringList m_items;
    QStringList m_senders;
};

// Keeps the D-Bus signals a host receives.
class SignalRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QDBusMessage> messages;

public Q_SLOTS:
    void record(const QDBusMessage& message) { messages.append(message); }
};

// Halvex's own StatusNotifierItem and its dbusmenu, against a fake watcher and a host on a second
// connection to a private bus.
class StatusNotifierItemTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_bus.isRunning());
        // Before the first use of the session bus, so the items' default connection is the private one.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        m_host.emplace(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("host")));
        QVERIFY(m_host->isConnected());
        StatusNotifierItem::registerDBusTypes();
    }

    void cleanup()
    {
        m_watcher.reset();
        QTRY_VERIFY(!StatusNotifierItem::watcherPresent());
    }

    void registersWithTheWatcherThatIsThere()
    {
        startWatcher(true);
        QVERIFY(StatusNotifierItem::watcherPresent());
        QMenu menu;
        StatusNotifierItem item(&menu);
        QSignalSpy available(&item, &StatusNotifierItem::availableChanged);
        QVERIFY(item.isExported());
        const QRegularExpression pattern(QStringLiteral("^org\\.kde\\.StatusNotifierItem-%1-\\d+$")
                                             .arg(QCoreApplication::applicationPid()));
        QVERIFY2(pattern.match(item.serviceName()).hasMatch(), qPrintable(item.serviceName()));
        QVERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(item.serviceName()));

        QTRY_COMPARE(m_watcher->items(), QStringList{item.serviceName()});
        QCOMPARE(m_watcher->senders(), QStringList{QDBusConnection::sessionBus().baseService()});
        QTRY_VERIFY(item.isAvailable());
        QCOMPARE(available.size(), 1);
    }

    // Watchers drop an item when its name leaves the bus.
    void destroyedItemLeavesTheBus()
    {
        QMenu menu;
        QString name;
        {
            StatusNotifierItem item(&menu);
            name = item.serviceName();
            QVERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(name));
        }
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(name));
        QVERIFY(QDBusConnection::sessionBus().objectRegisteredAt(latin1(StatusNotifierItem::objectPath)) ==
                nullptr);
        QVERIFY(QDBusConnection::sessionBus().objectRegisteredAt(QStringLiteral("/MenuBar")) == nullptr);
    }

    // Registered, but no bar draws items yet: available only while the watcher says a host is there.
    void availableFollowsTheWatchersHost()
    {
        startWatcher(false);
        QMenu menu;
        StatusNotifierItem item(&menu);
        QSignalSpy available(&item, &StatusNotifierItem::availableChanged);
        QTRY_COMPARE(m_watcher->items().size(), 1);
        QVERIFY(!item.isAvailable());

        m_watcher->setHostRegistered(true);
        QTRY_VERIFY(item.isAvailable());
        m_watcher->setHostRegistered(false);
        QTRY_VERIFY(!item.isAvailable());
        QCOMPARE(available.size(), 2);
    }

    void watcherStartedLaterGetsTheRegistration()
    {
        QMenu menu;
        StatusNotifierItem item(&menu);
        QVERIFY(item.isExported());
        QVERIFY(!StatusNotifierItem::watcherPresent());
        QVERIFY(!item.isAvailable());
        // A bar that starts a second after Halvex.
        QTimer::singleShot(1000, this, [this] { startWatcher(true); });
        QTRY_VERIFY_WITH_TIMEOUT(item.isAvailable(), 10000);
        QCOMPARE(m_watcher->items(), QStringList{item.serviceName()});
    }

    void restartedWatcherGetsItAgain()
    {
        startWatcher(true);
        QMenu menu;
        StatusNotifierItem item(&menu);
        QTRY_VERIFY(item.isAvailable());
        const QString first = m_watcher->uniqueName();

        m_watcher.reset();
        QTRY_VERIFY(!item.isAvailable());
        startWatcher(true);
        QVERIFY(m_watcher->uniqueName() != first);
        QTRY_VERIFY(item.isAvailable());
        QCOMPARE(m_watcher->items(), QStringList{item.serviceName()});
    }

    void eachItemHasAServiceOfItsOwn()
    {
        startWatcher(true);
        QMenu menu;
        StatusNotifierItem first(&menu);
        QDBusConnection second =
            QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("second-item"));
        {
            StatusNotifierItem other(&menu, second);
            QVERIFY(first.isExported());
            QVERIFY(other.isExported());
            QVERIFY(first.serviceName() != other.serviceName());
            QTRY_COMPARE(m_watcher->items().size(), 2);
            QVERIFY(m_watcher->items().contains(first.serviceName()));
            QVERIFY(m_watcher->items().contains(other.serviceName()));
            QTRY_VERIFY(other.isAvailable());

            // The object paths are fixed, so one connection serves one item; a second says it failed.
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("menu path .*/MenuBar.* is taken")));
            StatusNotifierItem refused(&menu);
            QVERIFY(!refused.isExported());
            QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(refused.serviceName()));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("second-item"));
        // The refused one left the first item's objects alone.
        QCOMPARE(readProperty(first.serviceName(), latin1(StatusNotifierItem::objectPath),
                              latin1(itemInterface), QStringLiteral("Id")),
                 QVariant(QStringLiteral("org.halvex.Halvex")));
    }

    void hostReadsTheItemsProperties_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("Category") << "Category" << QVariant(QStringLiteral("ApplicationStatus"));
        QTest::newRow("Id") << "Id" << QVariant(QStringLiteral("org.halvex.Halvex"));
        QTest::newRow("Title") << "Title" << QVariant(QStringLiteral("Halvex"));
        QTest::newRow("Status") << "Status" << QVariant(QStringLiteral("Active"));
        QTest::newRow("WindowId") << "WindowId" << QVariant(0);
        QTest::newRow("IconName") << "IconName" << QVariant(QStringLiteral("halvex-shield-symbolic"));
        QTest::newRow("IconThemePath") << "IconThemePath" << QVariant(QStringLiteral("/opt/halvex/icons"));
        QTest::newRow("OverlayIconName") << "OverlayIconName" << QVariant(QString());
        QTest::newRow("AttentionIconName") << "AttentionIconName" << QVariant(QString());
        QTest::newRow("AttentionMovieName") << "AttentionMovieName" << QVariant(QString());
        QTest::newRow("ItemIsMenu") << "ItemIsMenu" << QVariant(false);
        QTest::newRow("Menu") << "Menu" << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/MenuBar")));
    }
    void hostReadsTheItemsProperties()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, expected);
        QMenu menu;
        StatusNotifierItem item(&menu);
        item.setIconName(QStringLiteral("halvex-shield-symbolic"));
        item.setIconThemePath(QStringLiteral("/opt/halvex/icons"));
        const QVariant value = readProperty(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                                            latin1(itemInterface), name);
        QCOMPARE(value, expected);
    }

    // Hosts such as waybar read everything with one GetAll: a property whose type QtDBus cannot send
    // would be missing there without any error.
    void getAllAnswersEveryProperty()
    {
        QMenu menu;
        StatusNotifierItem item(&menu);
        QDBusMessage getAll =
            QDBusMessage::createMethodCall(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                                           latin1(propertiesInterface), QStringLiteral("GetAll"));
        getAll << latin1(itemInterface);
        const QDBusMessage reply = call(getAll);
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        const QVariantMap all = qdbus_cast<QVariantMap>(reply.arguments().value(0));
        QStringList names = all.keys();
        names.sort();
        QStringList expected{"AttentionIconName",
                             "AttentionIconPixmap",
                             "AttentionMovieName",
                             "Category",
                             "IconName",
                             "IconPixmap",
                             "IconThemePath",
                             "Id",
                             "ItemIsMenu",
                             "Menu",
                             "OverlayIconName",
                             "OverlayIconPixmap",
                             "Status",
                             "Title",
                             "ToolTip",
                             "WindowId"};
        expected.sort();
        QCOMPARE(names, expected);
    }

    void introspectionCarriesTheWireTypes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("IconPixmap") << "/StatusNotifierItem"
                                    << R"xml(<property name="IconPixmap" type="a(iiay)")xml";
        QTest::newRow("ToolTip") << "/StatusNotifierItem"
                                 << R"xml(<property name="ToolTip" type="(sa(iiay)ss)")xml";
        QTest::newRow("Menu") << "/StatusNotifierItem"
                              << R"xml(<property name="Menu" type="o")xml";
        QTest::newRow("Activate") << "/StatusNotifierItem"
                                  << R"xml(<method name="Activate">)xml";
        QTest::newRow("NewStatus") << "/StatusNotifierItem"
                                   << R"xml(<signal name="NewStatus">)xml";
        QTest::newRow("GetLayout") << "/MenuBar"
                                   << R"xml(type="(ia{sv}av)" direction="out")xml";
        QTest::newRow("GetGroupProperties") << "/MenuBar"
                                            << R"xml(type="a(ia{sv})" direction="out")xml";
        QTest::newRow("EventGroup") << "/MenuBar"
                                    << R"xml(type="a(isvu)" direction="in")xml";
        QTest::newRow("Version") << "/MenuBar"
                                 << R"xml(<property name="Version" type="u")xml";
        QTest::newRow("LayoutUpdated") << "/MenuBar"
                                       << R"xml(<signal name="LayoutUpdated">)xml";
    }
    void introspectionCarriesTheWireTypes()
    {
        QFETCH(QString, path);
        QFETCH(QString, fragment);
        QMenu menu;
        StatusNotifierItem item(&menu);
        const QDBusMessage reply = call(QDBusMessage::createMethodCall(
            item.serviceName(), path, QStringLiteral("org.freedesktop.DBus.Introspectable"),
            QStringLiteral("Introspect")));
        const QString xml = reply.arguments().value(0).toString();
        QVERIFY2(xml.contains(fragment), qPrintable(xml));
    }

    // One known pixel of each kind: a byte order or row order mistake moves or scrambles it.
    void iconPixmapFromImagesIsArgbInNetworkOrder()
    {
        QMenu menu;
        StatusNotifierItem item(&menu);
        SignalRecorder newIcon; // and, later, NewToolTip
        QVERIFY(m_host->connect(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                                latin1(itemInterface), QStringLiteral("NewIcon"), &newIcon,
                                SLOT(record(QDBusMessage))));
        QImage image(4, 3, QImage::Format_ARGB32);
        image.fill(QColor(0x12, 0x34, 0x56, 0x80));
        image.setPixel(1, 2, qRgba(0xab, 0xcd, 0xef, 0xff));
        item.setIconPixmaps({image});

        const QVariant value = readProperty(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                                            latin1(itemInterface), QStringLiteral("IconPixmap"));
        QCOMPARE(value.value<QDBusArgument>().currentSignature(), QStringLiteral("a(iiay)"));
        const DBusImageList images = qdbus_cast<DBusImageList>(value);
        QCOMPARE(images.size(), 1);
        QCOMPARE(images.at(0).width, 4);
        QCOMPARE(images.at(0).height, 3);
        const QByteArray& bytes = images.at(0).bytes;
        QCOMPARE(bytes.size(), 4 * 3 * 4);
        QCOMPARE(bytes.left(4), QByteArray::fromHex("80123456"));
        QCOMPARE(bytes.mid((2 * 4 + 1) * 4, 4), QByteArray::fromHex("ffabcdef"));
        QTRY_COMPARE(newIcon.messages.size(), 1);

        // The same pictures again are no change, and hosts are not asked to reload: the next signal is
        // the tool tip's.
        QVERIFY(m_host->connect(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                                latin1(itemInterface), QStringLiteral("NewToolTip"), &newIcon,
                                SLOT(record(QDBusMessage))));
        item.setIconPixmaps({image});
        item.setToolTip(QStringLiteral("Halvex"));
        QTRY_COMPARE(newIcon.messages.size(), 2);
        QCOMPARE(newIcon.messages.at(1).member(), QStringLiteral("NewToolTip"));
    }

    void iconPixmapFromIconHasEveryTraySize()
    {
        QMenu menu;
        StatusNotifierItem item(&menu);
        QPixmap pixmap(64, 64);
        pixmap.fill(QColor(0xff, 0x00, 0x00));
        item.setIcon(QIcon(pixmap));
        const DBusImageList images =
            qdbus_cast<DBusImageList>(readProperty(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                                                   latin1(itemInterface), QStringLiteral("IconPixmap")));
        QList<int> sides;
        for (const DBusImage& image : images) {
            QCOMPARE(image.height, image.width);
            QCOMPARE(image.bytes.size(), image.width * image.height * 4);
            QCOMPARE(image.bytes.left(4), QByteArray::fromHex("ffff0000"));
            sides.append(image.width);
        }
        QCOMPARE(sides, (QList<int>{16, 22, 24, 32, 48}));
    }

    void toolTipReachesTheHost()
    {
        QMenu menu;
        StatusNotifierItem item(&menu);
        SignalRecorder newToolTip;
        QVERIFY(m_host->connect(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                                latin1(itemInterface), QStringLiteral("NewToolTip"), &newToolTip,
                                SLOT(record(QDBusMessage))));
        item.setToolTip(QStringLiteral("Halvex"), QStringLiteral("Camera in use by Zoom"),
                        QStringLiteral("halvex-shield"));
        const QVariant value = readProperty(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                                            latin1(itemInterface), QStringLiteral("ToolTip"));
        QCOMPARE(value.value<QDBusArgument>().currentSignature(), QStringLiteral("(sa(iiay)ss)"));
        const DBusToolTip toolTip = qdbus_cast<DBusToolTip>(value);
        QCOMPARE(toolTip.iconName, QStringLiteral("halvex-shield"));
        QVERIFY(toolTip.images.isEmpty());
        QCOMPARE(toolTip.title, QStringLiteral("Halvex"));
        QCOMPARE(toolTip.description, QStringLiteral("Camera in use by Zoom"));
        QTRY_COMPARE(newToolTip.messages.size(), 1);
    }

    void statusChangeIsSignalled()
    {
        QMenu menu;
        StatusNotifierItem item(&menu);
        SignalRecorder newStatus;
        QVERIFY(m_host->connect(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                                latin1(itemInterface), QStringLiteral("NewStatus"), &newStatus,
                                SLOT(record(QDBusMessage))));
        item.setStatus(StatusNotifierItem::Status::NeedsAttention);
        item.setStatus(StatusNotifierItem::Status::NeedsAttention);
        item.setStatus(StatusNotifierItem::Status::Passive);
        QTRY_COMPARE(newStatus.messages.size(), 2);
        QCOMPARE(newStatus.messages.at(0).arguments(), QVariantList{QStringLiteral("NeedsAttention")});
        QCOMPARE(newStatus.messages.at(1).arguments(), QVariantList{QStringLiteral("Passive")});
        QCOMPARE(readProperty(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                              latin1(itemInterface), QStringLiteral("Status")),
                 QVariant(QStringLiteral("Passive")));
    }

    void hostCallsReachTheApplication_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QVariantList>("expected");
        QTest::newRow("Activate") << "Activate" << QVariantList{10, 14}
                                  << QByteArray(SIGNAL(activated(QPoint))) << QVariantList{QPoint(10, 14)};
        QTest::newRow("SecondaryActivate")
            << "SecondaryActivate" << QVariantList{-3, 900} << QByteArray(SIGNAL(secondaryActivated(QPoint)))
            << QVariantList{QPoint(-3, 900)};
        QTest::newRow("ContextMenu") << "ContextMenu" << QVariantList{200, 20}
                                     << QByteArray(SIGNAL(contextMenuRequested(QPoint)))
                                     << QVariantList{QPoint(200, 20)};
        QTest::newRow("Scroll vertical") << "Scroll" << QVariantList{120, QStringLiteral("vertical")}
                                         << QByteArray(SIGNAL(scrolled(int, Qt::Orientation)))
                                         << QVariantList{120, QVariant::fromValue(Qt::Vertical)};
        QTest::newRow("Scroll horizontal") << "Scroll" << QVariantList{-1, QStringLiteral("horizontal")}
                                           << QByteArray(SIGNAL(scrolled(int, Qt::Orientation)))
                                           << QVariantList{-1, QVariant::fromValue(Qt::Horizontal)};
    }
    void hostCallsReachTheApplication()
    {
        QFETCH(QString, method);
        QFETCH(QVariantList, arguments);
        QFETCH(QByteArray, signal);
        QFETCH(QVariantList, expected);
        QMenu menu;
        menu.addAction(QStringLiteral("Quit"));
        StatusNotifierItem item(&menu);
        QSignalSpy spy(&item, signal.constData());
        QVERIFY(spy.isValid());
        QDBusMessage message = QDBusMessage::createMethodCall(
            item.serviceName(), latin1(StatusNotifierItem::objectPath), latin1(itemInterface), method);
        message.setArguments(arguments);
        QCOMPARE(call(message).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0), expected);
        // The menu opens for ContextMenu only, at the point the host gave.
        QCOMPARE(menu.isVisible(), method == QLatin1String("ContextMenu"));
        if (menu.isVisible()) {
            QCOMPARE(menu.pos(), QPoint(200, 20));
            menu.hide();
        }
    }

    void menuLayoutListsTheActions()
    {
        QMenu menu;
        QAction* open = menu.addAction(QStringLiteral("&Open Dashboard"));
        QPixmap drawn(16, 16);
        drawn.fill(Qt::red);
        open->setIcon(QIcon(drawn));
        QAction* separator = menu.addSeparator();
        QAction* pause = menu.addAction(QStringLiteral("Pause monitoring"));
        pause->setCheckable(true);
        pause->setChecked(true);
        QActionGroup group(&menu);
        QAction* english = menu.addAction(QStringLiteral("English"));
        english->setCheckable(true);
        group.addAction(english);
        // An icon theme of the test's own, so the themed icon is found whatever the machine has installed.
        QTemporaryDir themes;
        QVERIFY(QDir(themes.path()).mkpath(QStringLiteral("halvex-test/16x16/apps")));
        QFile index(themes.path() + QStringLiteral("/halvex-test/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write(
            "[Icon Theme]\nName=halvex-test\nDirectories=16x16/apps\n\n[16x16/apps]\nSize=16\nType=Fixed\n");
        index.close();
        QVERIFY(drawn.save(themes.path() + QStringLiteral("/halvex-test/16x16/apps/halvex-quit.png")));
        const QStringList searchPaths = QIcon::themeSearchPaths();
        const QString themeName = QIcon::themeName();
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName(QStringLiteral("halvex-test"));
        const auto restoreTheme = qScopeGuard([&] {
            QIcon::setThemeName(themeName);
            QIcon::setThemeSearchPaths(searchPaths);
        });
        QAction* quit =
            menu.addAction(QIcon::fromTheme(QStringLiteral("halvex-quit")), QStringLiteral("Quit"));
        quit->setEnabled(false);
        StatusNotifierItem item(&menu);

        const QString menuPath = readProperty(item.serviceName(), latin1(StatusNotifierItem::objectPath),
                                              latin1(itemInterface), QStringLiteral("Menu"))
                                     .value<QDBusObjectPath>()
                                     .path();
        QCOMPARE(menuPath, QStringLiteral("/MenuBar"));
        const QDBusMessage reply =
            callMenu(item, QStringLiteral("GetLayout"), {0, -1, QStringList()}, menuPath);
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(reply.signature(), QStringLiteral("u(ia{sv}av)"));
        QCOMPARE(reply.arguments().at(0).toUInt(), item.menuExporter().revision());
        const DBusMenuLayoutItem root = qdbus_cast<DBusMenuLayoutItem>(reply.arguments().at(1));
        QCOMPARE(root.id, 0);
        QCOMPARE(root.properties.value("children-display"), QVariant(QStringLiteral("submenu")));
        QCOMPARE(root.children.size(), 5);

        QList<int> ids;
        for (const DBusMenuLayoutItem& child : root.children) {
            QVERIFY(child.children.isEmpty());
            ids.append(child.id);
        }
        QCOMPARE(ids, (QList<int>{item.menuExporter().idOf(open), item.menuExporter().idOf(separator),
                                  item.menuExporter().idOf(pause), item.menuExporter().idOf(english),
                                  item.menuExporter().idOf(quit)}));
        QVERIFY(!ids.contains(0));
        QCOMPARE(QSet<int>(ids.cbegin(), ids.cend()).size(), 5);

        const QVariantMap openProperties = root.children.at(0).properties;
        QCOMPARE(openProperties.value("type"), QVariant(QStringLiteral("standard")));
        QCOMPARE(openProperties.value("label"), QVariant(QStringLiteral("_Open Dashboard")));
        QCOMPARE(openProperties.value("enabled"), QVariant(true));
        QCOMPARE(openProperties.value("visible"), QVariant(true));
        QVERIFY(!openProperties.contains("toggle-type"));
        // A drawn icon has no name to look up: it goes as PNG bytes. A themed one goes by name.
        QVERIFY(openProperties.value("icon-data").toByteArray().startsWith("\x89PNG"));
        QVERIFY(!openProperties.contains("icon-name"));
        QCOMPARE(root.children.at(4).properties.value("icon-name"), QVariant(QStringLiteral("halvex-quit")));
        QCOMPARE(root.children.at(1).properties.value("type"), QVariant(QStringLiteral("separator")));
        QVERIFY(!root.children.at(1).properties.contains("label"));
        QCOMPARE(root.children.at(2).properties.value("toggle-type"), QVariant(QStringLiteral("checkmark")));
        QCOMPARE(root.children.at(2).properties.value("toggle-state"), QVariant(1));
        QCOMPARE(root.children.at(3).properties.value("toggle-type"), QVariant(QStringLiteral("radio")));
        QCOMPARE(root.children.at(3).properties.value("toggle-state"), QVariant(0));
        QCOMPARE(root.children.at(4).properties.value("enabled"), QVariant(false));
    }

    void menuLayoutOfOneItemOrNone_data()
    {
        // The parent is the root (-1) or the index of an action in the menu.
        QTest::addColumn<int>("parent");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("children");
        QTest::addColumn<QStringList>("properties");
        QTest::newRow("root, depth 0: no children")
            << -1 << 0 << QStringList() << 0 << QStringList{"children-display"};
        QTest::newRow("root, depth 1, labels only") << -1 << 1 << QStringList{"label"} << 2 << QStringList();
        QTest::newRow("one item, all properties")
            << 1 << -1 << QStringList() << 0 << QStringList{"enabled", "label", "type", "visible"};
        QTest::newRow("one item, named properties")
            << 1 << -1 << QStringList{"label", "no-such-property"} << 0 << QStringList{"label"};
    }
    void menuLayoutOfOneItemOrNone()
    {
        QFETCH(int, parent);
        QFETCH(int, depth);
        QFETCH(QStringList, names);
        QFETCH(int, children);
        QFETCH(QStringList, properties);
        QMenu menu;
        menu.addAction(QStringLiteral("Dashboard"));
        menu.addAction(QStringLiteral("Quit"));
        StatusNotifierItem item(&menu);
        const int parentId = parent < 0 ? 0 : item.menuExporter().idOf(menu.actions().at(parent));
        const QDBusMessage reply = callMenu(item, QStringLiteral("GetLayout"), {parentId, depth, names});
        QCOMPARE(reply.signature(), QStringLiteral("u(ia{sv}av)"));
        const DBusMenuLayoutItem layout = qdbus_cast<DBusMenuLayoutItem>(reply.arguments().at(1));
        QCOMPARE(layout.id, parentId);
        QCOMPARE(layout.children.size(), children);
        QCOMPARE(layout.properties.keys(), properties);
        for (const DBusMenuLayoutItem& child : layout.children)
            QCOMPARE(child.properties.keys(), QStringList{"label"});
    }

    void unknownMenuIdsAreErrors_data()
    {
        // An id of 0 in the arguments stands for the menu's one action.
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("arguments");
        QTest::newRow("GetLayout") << "GetLayout" << QVariantList{99, -1, QStringList()};
        QTest::newRow("GetProperty") << "GetProperty" << QVariantList{99, QStringLiteral("label")};
        QTest::newRow("GetProperty of a missing name")
            << "GetProperty" << QVariantList{0, QStringLiteral("nothing")};
        QTest::newRow("Event") << "Event"
                               << QVariantList{99, QStringLiteral("clicked"),
                                               QVariant::fromValue(QDBusVariant(0)), 0u};
        QTest::newRow("AboutToShow") << "AboutToShow" << QVariantList{99};
    }
    void unknownMenuIdsAreErrors()
    {
        QFETCH(QString, method);
        QFETCH(QVariantList, arguments);
        QMenu menu;
        QAction* quit = menu.addAction(QStringLiteral("Quit"));
        StatusNotifierItem item(&menu);
        if (arguments.at(0).toInt() == 0)
            arguments[0] = item.menuExporter().idOf(quit);
        const QDBusMessage reply = callMenu(item, method, arguments);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    }

    void menuPropertiesOfItems()
    {
        QMenu menu;
        QAction* dashboard = menu.addAction(QStringLiteral("&Dashboard"));
        QAction* quit = menu.addAction(QStringLiteral("Quit"));
        StatusNotifierItem item(&menu);
        const int dashboardId = item.menuExporter().idOf(dashboard);
        const int quitId = item.menuExporter().idOf(quit);

        const QDBusMessage group = callMenu(
            item, QStringLiteral("GetGroupProperties"),
            {QVariant::fromValue(QList<int>{quitId, 99, dashboardId}), QStringList{QStringLiteral("label")}});
        QCOMPARE(group.signature(), QStringLiteral("a(ia{sv})"));
        const DBusMenuItemPropertiesList found =
            qdbus_cast<DBusMenuItemPropertiesList>(group.arguments().at(0));
        QCOMPARE(found.size(), 2);
        QCOMPARE(found.at(0).id, quitId);
        QCOMPARE(found.at(0).properties, (QVariantMap{{"label", QStringLiteral("Quit")}}));
        QCOMPARE(found.at(1).id, dashboardId);
        QCOMPARE(found.at(1).properties, (QVariantMap{{"label", QStringLiteral("_Dashboard")}}));

        const QDBusMessage one =
            callMenu(item, QStringLiteral("GetProperty"), {dashboardId, QStringLiteral("enabled")});
        QCOMPARE(one.signature(), QStringLiteral("v"));
        QCOMPARE(one.arguments().at(0).value<QDBusVariant>().variant(), QVariant(true));
    }

    void menuObjectProperties_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("Version") << "Version" << QVariant(3u);
        QTest::newRow("TextDirection") << "TextDirection" << QVariant(QStringLiteral("ltr"));
        QTest::newRow("Status") << "Status" << QVariant(QStringLiteral("normal"));
        QTest::newRow("IconThemePath") << "IconThemePath" << QVariant(QStringList());
    }
    void menuObjectProperties()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, expected);
        QMenu menu;
        StatusNotifierItem item(&menu);
        QVariant value =
            readProperty(item.serviceName(), QStringLiteral("/MenuBar"), latin1(menuInterface), name);
        if (value.metaType() == QMetaType::fromType<QDBusArgument>())
            value = qdbus_cast<QStringList>(value);
        QCOMPARE(value, expected);
    }

    void labelsUseDBusMnemonics_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        QTest::newRow("plain") << "Quit"
                               << "Quit";
        QTest::newRow("mnemonic") << "&Quit"
                                  << "_Quit";
        QTest::newRow("mnemonic inside") << "Pause &monitoring"
                                         << "Pause _monitoring";
        QTest::newRow("literal ampersand") << "Camera && Mic"
                                           << "Camera & Mic";
        QTest::newRow("underscore is doubled") << "snake_case"
                                               << "snake__case";
        QTest::newRow("trailing ampersand kept") << "R&"
                                                 << "R&";
        QTest::newRow("empty") << ""
                               << "";
    }
    void labelsUseDBusMnemonics()
    {
        QFETCH(QString, text);
        QFETCH(QString, label);
        QCOMPARE(DBusMenuExporter::dbusLabel(text), label);
    }

    void clickTriggersItsAction()
    {
        QMenu menu;
        QAction* dashboard = menu.addAction(QStringLiteral("Dashboard"));
        QAction* quit = menu.addAction(QStringLiteral("Quit"));
        StatusNotifierItem item(&menu);
        QSignalSpy dashboardTriggered(dashboard, &QAction::triggered);
        QSignalSpy quitTriggered(quit, &QAction::triggered);
        const int quitId = item.menuExporter().idOf(quit);

        const QVariant data = QVariant::fromValue(QDBusVariant(QString()));
        QCOMPARE(
            callMenu(item, QStringLiteral("Event"), {quitId, QStringLiteral("hovered"), data, 0u}).type(),
            QDBusMessage::ReplyMessage);
        QCOMPARE(
            callMenu(item, QStringLiteral("Event"), {quitId, QStringLiteral("clicked"), data, 0u}).type(),
            QDBusMessage::ReplyMessage);
        QTRY_COMPARE(quitTriggered.size(), 1);
        QCOMPARE(dashboardTriggered.size(), 0);
    }

    void eventGroupTriggersAndListsUnknownIds()
    {
        QMenu menu;
        QAction* pause = menu.addAction(QStringLiteral("Pause"));
        pause->setCheckable(true);
        StatusNotifierItem item(&menu);
        QSignalSpy triggered(pause, &QAction::triggered);
        const DBusMenuEventList events{
            {item.menuExporter().idOf(pause), QStringLiteral("clicked"), QDBusVariant(0), 0},
            {99, QStringLiteral("clicked"), QDBusVariant(0), 0},
        };
        const QDBusMessage reply =
            callMenu(item, QStringLiteral("EventGroup"), {QVariant::fromValue(events)});
        QCOMPARE(reply.signature(), QStringLiteral("ai"));
        QCOMPARE(qdbus_cast<QList<int>>(reply.arguments().at(0)), QList<int>{99});
        QTRY_COMPARE(triggered.size(), 1);
        QVERIFY(pause->isChecked());
    }

    void menuChangesEmitOneLayoutUpdated_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("add") << "add" << QStringList{"Dashboard", "Quit", "Block Zoom"};
        QTest::newRow("add two") << "add two"
                                 << QStringList{"Dashboard", "Quit", "Block Zoom", "Block Teams"};
        QTest::newRow("remove") << "remove" << QStringList{"Quit"};
        QTest::newRow("rename") << "rename" << QStringList{"Open Dashboard", "Quit"};
        QTest::newRow("hide") << "hide" << QStringList{"Dashboard", "Quit"};
    }
    void menuChangesEmitOneLayoutUpdated()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, labels);
        QMenu menu;
        QAction* dashboard = menu.addAction(QStringLiteral("Dashboard"));
        menu.addAction(QStringLiteral("Quit"));
        StatusNotifierItem item(&menu);
        SignalRecorder updates;
        QVERIFY(m_host->connect(item.serviceName(), QStringLiteral("/MenuBar"), latin1(menuInterface),
                                QStringLiteral("LayoutUpdated"), &updates, SLOT(record(QDBusMessage))));
        const uint before = item.menuExporter().revision();

        if (change == QLatin1String("add")) {
            menu.addAction(QStringLiteral("Block Zoom"));
        } else if (change == QLatin1String("add two")) {
            menu.addAction(QStringLiteral("Block Zoom"));
            menu.addAction(QStringLiteral("Block Teams"));
        } else if (change == QLatin1String("remove")) {
            menu.removeAction(dashboard);
        } else if (change == QLatin1String("rename")) {
            dashboard->setText(QStringLiteral("Open Dashboard"));
        } else if (change == QLatin1String("hide")) {
            dashboard->setVisible(false);
        }

        QTRY_COMPARE(updates.messages.size(), 1);
        const QVariantList arguments = updates.messages.at(0).arguments();
        QCOMPARE(updates.messages.at(0).signature(), QStringLiteral("ui"));
        QVERIFY(arguments.at(0).toUInt() > before);
        QCOMPARE(arguments.at(1).toInt(), 0);

        const QDBusMessage reply = callMenu(item, QStringLiteral("GetLayout"), {0, -1, QStringList()});
        QCOMPARE(reply.arguments().at(0).toUInt(), arguments.at(0).toUInt());
        const DBusMenuLayoutItem root = qdbus_cast<DBusMenuLayoutItem>(reply.arguments().at(1));
        QStringList seen;
        for (const DBusMenuLayoutItem& child : root.children)
            seen.append(child.properties.value("label").toString());
        QCOMPARE(seen, labels);
        if (change == QLatin1String("hide"))
            QCOMPARE(root.children.at(0).properties.value("visible"), QVariant(false));
        // Every signal sent before the reply has been delivered by now: there was only the one.
        QCoreApplication::processEvents();
        QCOMPARE(updates.messages.size(), 1);
    }

    void actionKeepsItsIdForItsLife()
    {
        QMenu menu;
        QAction* first = menu.addAction(QStringLiteral("First"));
        auto* second = new QAction(QStringLiteral("Second"), &menu);
        menu.addAction(second);
        StatusNotifierItem item(&menu);
        const int firstId = item.menuExporter().idOf(first);
        const int secondId = item.menuExporter().idOf(second);
        QVERIFY(firstId != secondId);

        menu.removeAction(first);
        QCOMPARE(item.menuExporter().idOf(first), 0);
        QCOMPARE(callMenu(item, QStringLiteral("GetLayout"), {firstId, 0, QStringList()}).type(),
                 QDBusMessage::ErrorMessage);
        menu.addAction(first);
        QCOMPARE(item.menuExporter().idOf(first), firstId);
        QCOMPARE(item.menuExporter().actionOf(firstId), first);

        delete second;
        QCOMPARE(item.menuExporter().actionOf(secondId), nullptr);
        QAction* third = menu.addAction(QStringLiteral("Third"));
        QVERIFY(item.menuExporter().idOf(third) != secondId);
        QVERIFY(item.menuExporter().idOf(third) != firstId);
    }

    void aboutToShowLetsTheApplicationRefresh()
    {
        QMenu menu;
        QAction* quit = menu.addAction(QStringLiteral("Quit"));
        StatusNotifierItem item(&menu);
        QSignalSpy aboutToShow(&menu, &QMenu::aboutToShow);

        QDBusMessage reply = callMenu(item, QStringLiteral("AboutToShow"), {0});
        QCOMPARE(reply.signature(), QStringLiteral("b"));
        QCOMPARE(reply.arguments().at(0), QVariant(false));
        QCOMPARE(aboutToShow.size(), 1);
        reply = callMenu(item, QStringLiteral("AboutToShow"), {item.menuExporter().idOf(quit)});
        QCOMPARE(reply.arguments().at(0), QVariant(false));
        QCOMPARE(aboutToShow.size(), 1);

        // An application that fills its menu when it opens: the host is told to fetch the layout.
        connect(&menu, &QMenu::aboutToShow, &menu, [&menu] { menu.addAction(QStringLiteral("Block Zoom")); });
        reply = callMenu(item, QStringLiteral("AboutToShow"), {0});
        QCOMPARE(reply.arguments().at(0), QVariant(true));
        const DBusMenuLayoutItem root = qdbus_cast<DBusMenuLayoutItem>(
            callMenu(item, QStringLiteral("GetLayout"), {0, -1, QStringList()}).arguments().at(1));
        QCOMPARE(root.children.size(), 2);
    }

    void aboutToShowGroupSplitsUpdatesAndErrors()
    {
        QMenu menu;
        QAction* quit = menu.addAction(QStringLiteral("Quit"));
        StatusNotifierItem item(&menu);
        connect(&menu, &QMenu::aboutToShow, &menu, [&menu] { menu.addAction(QStringLiteral("Block Zoom")); });
        const QDBusMessage reply =
            callMenu(item, QStringLiteral("AboutToShowGroup"),
                     {QVariant::fromValue(QList<int>{item.menuExporter().idOf(quit), 0, 99})});
        QCOMPARE(reply.signature(), QStringLiteral("aiai"));
        QCOMPARE(qdbus_cast<QList<int>>(reply.arguments().at(0)), QList<int>{0});
        QCOMPARE(qdbus_cast<QList<int>>(reply.arguments().at(1)), QList<int>{99});
    }

private:
    void startWatcher(bool hostRegistered)
    {
        m_watcher = std::make_unique<FakeWatcher>(m_bus.address(), hostRegistered);
        QVERIFY(m_watcher->isStarted());
    }

    // Asynchronous with the event loop running: the item answers from this very thread.
    QDBusMessage call(const QDBusMessage& message)
    {
        QDBusPendingCall pending = m_host->asyncCall(message, 5000);
        if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 10000))
            return {};
        return pending.reply();
    }

    QDBusMessage callMenu(const StatusNotifierItem& item, const QString& method,
                          const QVariantList& arguments, const QString& path = QStringLiteral("/MenuBar"))
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(item.serviceName(), path, latin1(menuInterface), method);
        message.setArguments(arguments);
        return call(message);
    }

    QVariant readProperty(const QString& service, const QString& path, const QString& interface,
                          const QString& name)
    {
        QDBusMessage get =
            QDBusMessage::createMethodCall(service, path, latin1(propertiesInterface), QStringLiteral("Get"));
        get << interface << name;
        const QDBusMessage reply = call(get);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return QStringLiteral("error: %1").arg(reply.errorMessage());
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    PrivateDBus m_bus;
    std::optional<QDBusConnection> m_host;
    std::unique_ptr<FakeWatcher> m_watcher;
};

QTEST_MAIN(StatusNotifierItemTest)
#include "tst_statusnotifieritem.moc"
