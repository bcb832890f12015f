#pragma once

#include "app/DBusMenuExporter.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class QIcon;
class QMenu;
class StatusNotifierItemAdaptor;

// (iiay): width, height, then ARGB32 pixels in network byte order.
struct DBusImage
{
    int width = 0;
    int height = 0;
    QByteArray bytes;
    bool operator==(const DBusImage&) const = default;
};
using DBusImageList = QList<DBusImage>;

// (sa(iiay)ss): icon name, icon pixmaps, title, description.
struct DBusToolTip
{
    QString iconName;
    DBusImageList images;
    QString title;
    QString description;
    bool operator==(const DBusToolTip&) const = default;
};

Q_DECLARE_METATYPE(DBusImage)
Q_DECLARE_METATYPE(DBusToolTip)

QDBusArgument& operator<<(QDBusArgument& argument, const DBusImage& image);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusImage& image);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusToolTip& toolTip);

// Halvex's tray icon as an org.kde.StatusNotifierItem of its own, for desktops whose tray is a
// StatusNotifierWatcher. Unlike Qt's D-Bus tray it registers again whenever a watcher appears or
// restarts, and it hands on the position hosts pass with a click. Its menu is a QMenu, served as
// com.canonical.dbusmenu beside it.
class StatusNotifierItem : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool available READ isAvailable NOTIFY availableChanged)
public:
    enum class Status { Passive, Active, NeedsAttention };
    Q_ENUM(Status)

    static constexpr char interfaceName[] = "org.kde.StatusNotifierItem";
    static constexpr char objectPath[] = "/StatusNotifierItem";
    static constexpr char watcherService[] = "org.kde.StatusNotifierWatcher";
    static constexpr char watcherPath[] = "/StatusNotifierWatcher";
    static constexpr char watcherInterface[] = "org.kde.StatusNotifierWatcher";

    explicit StatusNotifierItem(QMenu* menu,
                                const QDBusConnection& connection = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // Whether a StatusNotifierWatcher owns its name on the bus at this moment (asks the bus, blocking).
    static bool watcherPresent(const QDBusConnection& connection = QDBusConnection::sessionBus());
    static void registerDBusTypes();
    // Each pixmap of `icon` at the sizes trays draw (16, 22, 24, 32, 48), in the wire format.
    static DBusImageList imagesFromIcon(const QIcon& icon);
    static DBusImage imageFromQImage(const QImage& image);

    // False when the bus refused the service name or one of the object paths: nothing is shown then.
    bool isExported() const { return m_exported; }
    QString serviceName() const { return m_serviceName; }
    // A watcher took the registration and says a host (a bar's tray) is there to draw the item.
    bool isAvailable() const { return m_available; }
    DBusMenuExporter& menuExporter() { return m_menuExporter; }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("org.halvex.Halvex"); }
    QString title() const { return QStringLiteral("Halvex"); }
    Status status() const { return m_status; }
    QString statusName() const;
    void setStatus(Status status);
    QString iconName() const { return m_iconName; }
    void setIconName(const QString& name);
    QString iconThemePath() const { return m_iconThemePath; }
    void setIconThemePath(const QString& path);
    DBusImageList iconPixmaps() const { return m_iconPixmaps; }
    void setIcon(const QIcon& icon);
    void setIconPixmaps(const QList<QImage>& images);
    DBusToolTip toolTip() const { return m_toolTip; }
    void setToolTip(const QString& title, const QString& description = {}, const QString& iconName = {});

    // The host's requests, as the adaptor receives them.
    void activate(QPoint position);
    void secondaryActivate(QPoint position);
    void showContextMenu(QPoint position);
    void scroll(int delta, Qt::Orientation orientation);

Q_SIGNALS:
    void availableChanged();
    // Primary click on the icon, at the screen position the host gave (0,0 from hosts that give none).
    void activated(QPoint position);
    void secondaryActivated(QPoint position);
    // The host asked for the menu; it is already popping up at `position`.
    void contextMenuRequested(QPoint position);
    void scrolled(int delta, Qt::Orientation orientation);

private Q_SLOTS:
    void watcherHostsChanged(const QDBusMessage& message);

private:
    void watcherOwnerChanged(const QString& newOwner);
    void registerWithWatcher();
    void readHostRegistered();
    void updateAvailable();
    void setPixmaps(const DBusImageList& pixmaps);

    QDBusConnection m_connection;
    QPointer<QMenu> m_menu;
    DBusMenuExporter m_menuExporter;
    StatusNotifierItemAdaptor* m_adaptor = nullptr;
    QString m_serviceName;
    QDBusServiceWatcher m_watcher;
    bool m_objectRegistered = false;
    bool m_exported = false;

    // Every change of the watcher's owner starts a new generation; answers from an older one are stale.
    quint64 m_generation = 0;
    QString m_watcherOwner;
    bool m_registered = false;
    bool m_hostRegistered = false;
    bool m_available = false;

    Status m_status = Status::Active;
    QString m_iconName;
    QString m_iconThemePath;
    DBusImageList m_iconPixmaps;
    DBusToolTip m_toolTip;
};
