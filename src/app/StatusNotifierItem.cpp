#include "app/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QIcon>
#include <QLoggingCategory>
#include <QMenu>
#include <QPixmap>
#include <QtEndian>

#include <algorithm>

namespace {
Q_LOGGING_CATEGORY(lcStatusNotifier, "halvex.tray.sni", QtInfoMsg)
constexpr char propertiesInterface[] = "org.freedesktop.DBus.Properties";
} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const DBusImage& image)
{
    argument.beginStructure();
    argument << image.width << image.height << image.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusImage& image)
{
    argument.beginStructure();
    argument >> image.width >> image.height >> image.bytes;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusToolTip& toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.images << toolTip.title << toolTip.description;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusToolTip& toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.images >> toolTip.title >> toolTip.description;
    argument.endStructure();
    return argument;
}

// The wire side of StatusNotifierItem: properties read from it, calls handed to it.
class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(QList<DBusImage> IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(QList<DBusImage> OverlayIconPixmap READ noImages)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(QList<DBusImage> AttentionIconPixmap READ noImages)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(DBusToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item) : QDBusAbstractAdaptor(item), m_item(item) {}

    QString category() const { return m_item->category(); }
    QString id() const { return m_item->id(); }
    QString title() const { return m_item->title(); }
    QString status() const { return m_item->statusName(); }
    int windowId() const { return 0; }
    QString iconName() const { return m_item->iconName(); }
    QString iconThemePath() const { return m_item->iconThemePath(); }
    DBusImageList iconPixmap() const { return m_item->iconPixmaps(); }
    QString noName() const { return {}; }
    DBusImageList noImages() const { return {}; }
    DBusToolTip toolTip() const { return m_item->toolTip(); }
    // False: a click activates, the menu is for the secondary button.
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(m_item->menuExporter().path()); }

public Q_SLOTS:
    void Activate(int x, int y) { m_item->activate({x, y}); }
    void SecondaryActivate(int x, int y) { m_item->secondaryActivate({x, y}); }
    void ContextMenu(int x, int y) { m_item->showContextMenu({x, y}); }
    void Scroll(int delta, const QString& orientation)
    {
        m_item->scroll(delta, orientation.compare(QLatin1String("horizontal"), Qt::CaseInsensitive) == 0
                                  ? Qt::Horizontal
                                  : Qt::Vertical);
    }

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);
    void NewIconThemePath(const QString& path);

private:
    StatusNotifierItem* m_item;
};

namespace {

// Per process, so two items (two trays, or two tests) never ask for the same name.
int nextInstance()
{
    static int instances = 0;
    return ++instances;
}

} // namespace

StatusNotifierItem::StatusNotifierItem(QMenu* menu, const QDBusConnection& connection, QObject* parent)
    : QObject(parent), m_connection(connection), m_menu(menu), m_menuExporter(menu, connection),
      m_serviceName(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                        .arg(QCoreApplication::applicationPid())
                        .arg(nextInstance())),
      m_watcher(QString::fromLatin1(watcherService), connection, QDBusServiceWatcher::WatchForOwnerChange)
{
    registerDBusTypes();
    m_adaptor = new StatusNotifierItemAdaptor(this);
    if (!m_menuExporter.isExported()) {
        qCWarning(lcStatusNotifier) << "menu path" << m_menuExporter.path() << "is taken on this connection";
        return;
    }
    m_objectRegistered =
        m_connection.registerObject(QString::fromLatin1(objectPath), this, QDBusConnection::ExportAdaptors);
    // The name comes last: a host that sees it can read every object at once.
    m_exported = m_objectRegistered && m_connection.registerService(m_serviceName);
    if (!m_exported) {
        qCWarning(lcStatusNotifier) << "cannot export" << m_serviceName << m_connection.lastError().message();
        return;
    }
    connect(
        &m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString&, const QString& newOwner) { watcherOwnerChanged(newOwner); });
    // Any sender: the slot keeps only the signals of the watcher that took the registration.
    for (const char* name : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
        m_connection.connect(QString(), QString::fromLatin1(watcherPath),
                             QString::fromLatin1(watcherInterface), QString::fromLatin1(name), this,
                             SLOT(watcherHostsChanged(QDBusMessage)));
    }
    registerWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (m_exported) {
        for (const char* name : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
            m_connection.disconnect(QString(), QString::fromLatin1(watcherPath),
                                    QString::fromLatin1(watcherInterface), QString::fromLatin1(name), this,
                                    SLOT(watcherHostsChanged(QDBusMessage)));
        }
        // Dropping the name is what tells the watcher the item is gone.
        m_connection.unregisterService(m_serviceName);
    }
    if (m_objectRegistered)
        m_connection.unregisterObject(QString::fromLatin1(objectPath));
}

bool StatusNotifierItem::watcherPresent(const QDBusConnection& connection)
{
    const QDBusConnectionInterface* bus = connection.interface();
    return bus && bus->isServiceRegistered(QString::fromLatin1(watcherService)).value();
}

void StatusNotifierItem::registerDBusTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusImage>();
        qDBusRegisterMetaType<DBusImageList>();
        qDBusRegisterMetaType<DBusToolTip>();
        return true;
    }();
    Q_UNUSED(registered);
    DBusMenuExporter::registerDBusTypes();
}

DBusImage StatusNotifierItem::imageFromQImage(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    DBusImage wire{image.width(), image.height(), {}};
    wire.bytes.resize(qsizetype(image.width()) * image.height() * 4);
    uchar* out = reinterpret_cast<uchar*>(wire.bytes.data());
    // QImage keeps each pixel as a native 0xAARRGGBB word; the protocol wants its bytes big-endian.
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x, out += 4)
            qToBigEndian<quint32>(line[x], out);
    }
    return wire;
}

DBusImageList StatusNotifierItem::imagesFromIcon(const QIcon& icon)
{
    DBusImageList images;
    if (icon.isNull())
        return images;
    for (int side : {16, 22, 24, 32, 48}) {
        const QImage image = icon.pixmap(QSize(side, side), 1.0).toImage();
        // An icon without a large enough picture answers a smaller one; send each size once.
        const bool seen = std::any_of(images.cbegin(), images.cend(), [&](const DBusImage& known) {
            return known.width == image.width() && known.height == image.height();
        });
        if (!image.isNull() && !seen)
            images.append(imageFromQImage(image));
    }
    return images;
}

QString StatusNotifierItem::statusName() const
{
    switch (m_status) {
    case Status::Passive:
        return QStringLiteral("Passive");
    case Status::NeedsAttention:
        return QStringLiteral("NeedsAttention");
    case Status::Active:
        break;
    }
    return QStringLiteral("Active");
}

void StatusNotifierItem::setStatus(Status status)
{
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT m_adaptor->NewStatus(statusName());
}

void StatusNotifierItem::setIconName(const QString& name)
{
    if (name == m_iconName)
        return;
    m_iconName = name;
    Q_EMIT m_adaptor->NewIcon();
}

void StatusNotifierItem::setIconThemePath(const QString& path)
{
    if (path == m_iconThemePath)
        return;
    m_iconThemePath = path;
    Q_EMIT m_adaptor->NewIconThemePath(path);
    // Hosts that know no NewIconThemePath look the name up again on NewIcon.
    Q_EMIT m_adaptor->NewIcon();
}

void StatusNotifierItem::setIcon(const QIcon& icon)
{
    setPixmaps(imagesFromIcon(icon));
}

void StatusNotifierItem::setIconPixmaps(const QList<QImage>& images)
{
    DBusImageList pixmaps;
    for (const QImage& image : images) {
        if (!image.isNull())
            pixmaps.append(imageFromQImage(image));
    }
    setPixmaps(pixmaps);
}

void StatusNotifierItem::setPixmaps(const DBusImageList& pixmaps)
{
    if (pixmaps == m_iconPixmaps)
        return;
    m_iconPixmaps = pixmaps;
    Q_EMIT m_adaptor->NewIcon();
}

void StatusNotifierItem::setToolTip(const QString& title, const QString& description, const QString& iconName)
{
    const DBusToolTip toolTip{iconName, {}, title, description};
    if (toolTip == m_toolTip)
        return;
    m_toolTip = toolTip;
    Q_EMIT m_adaptor->NewToolTip();
}

void StatusNotifierItem::activate(QPoint position)
{
    Q_EMIT activated(position);
}

void StatusNotifierItem::secondaryActivate(QPoint position)
{
    Q_EMIT secondaryActivated(position);
}

void StatusNotifierItem::showContextMenu(QPoint position)
{
    if (m_menu)
        m_menu->popup(position);
    Q_EMIT contextMenuRequested(position);
}

void StatusNotifierItem::scroll(int delta, Qt::Orientation orientation)
{
    Q_EMIT scrolled(delta, orientation);
}

void StatusNotifierItem::watcherOwnerChanged(const QString& newOwner)
{
    ++m_generation;
    m_watcherOwner.clear();
    m_registered = false;
    m_hostRegistered = false;
    updateAvailable();
    // A bar started after Halvex, or a watcher that restarted, knows nothing of this item yet.
    if (!newOwner.isEmpty())
        registerWithWatcher();
}

void StatusNotifierItem::registerWithWatcher()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(watcherService), QString::fromLatin1(watcherPath),
        QString::fromLatin1(watcherInterface), QStringLiteral("RegisterStatusNotifierItem"));
    call << m_serviceName;
    // Never start a watcher through bus activation: the owner watch hears of the one a bar starts.
    call.setAutoStartService(false);
    const quint64 generation = m_generation;
    auto* pending = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, generation] {
        pending->deleteLater();
        if (generation != m_generation)
            return;
        const QDBusMessage reply = pending->reply();
        if (reply.type() != QDBusMessage::ReplyMessage) {
            // No watcher yet (or it refused): the owner watch registers when one comes.
            qCDebug(lcStatusNotifier) << "watcher did not take" << m_serviceName << reply.errorMessage();
            return;
        }
        m_registered = true;
        m_watcherOwner = reply.service();
        readHostRegistered();
    });
}

void StatusNotifierItem::readHostRegistered()
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(m_watcherOwner, QString::fromLatin1(watcherPath),
                                       QString::fromLatin1(propertiesInterface), QStringLiteral("Get"));
    get << QString::fromLatin1(watcherInterface) << QStringLiteral("IsStatusNotifierHostRegistered");
    const quint64 generation = m_generation;
    auto* pending = new QDBusPendingCallWatcher(m_connection.asyncCall(get), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, generation] {
        pending->deleteLater();
        if (generation != m_generation)
            return;
        const QDBusPendingReply<QDBusVariant> reply = *pending;
        m_hostRegistered = !reply.isError() && reply.value().variant().toBool();
        updateAvailable();
    });
}

void StatusNotifierItem::watcherHostsChanged(const QDBusMessage& message)
{
    if (m_registered && message.service() == m_watcherOwner)
        readHostRegistered();
}

void StatusNotifierItem::updateAvailable()
{
    const bool available = m_registered && m_hostRegistered;
    if (available == m_available)
        return;
    m_available = available;
    Q_EMIT availableChanged();
}

#include "StatusNotifierItem.moc"
