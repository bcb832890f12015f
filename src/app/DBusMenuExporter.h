#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <optional>

class QAction;
class QMenu;

// (ia{sv}av): an item, its properties, and its children, each child a variant holding the same struct.
struct DBusMenuLayoutItem
{
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};

// (ia{sv})
struct DBusMenuItemProperties
{
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;

// (isvu)
struct DBusMenuEvent
{
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

Q_DECLARE_METATYPE(DBusMenuLayoutItem)
Q_DECLARE_METATYPE(DBusMenuItemProperties)
Q_DECLARE_METATYPE(DBusMenuEvent)

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event);

// A QMenu's actions as com.canonical.dbusmenu, the menu a StatusNotifierItem host draws itself. The
// layout is flat: the root (id 0) holds one item per action. An action keeps its id until it is
// destroyed, also when it leaves the menu and comes back.
class DBusMenuExporter : public QObject
{
    Q_OBJECT
public:
    static constexpr char interfaceName[] = "com.canonical.dbusmenu";
    static constexpr char defaultPath[] = "/MenuBar";

    explicit DBusMenuExporter(QMenu* menu, const QDBusConnection& connection = QDBusConnection::sessionBus(),
                              const QString& path = QString::fromLatin1(defaultPath),
                              QObject* parent = nullptr);
    ~DBusMenuExporter() override;

    // Makes the D-Bus types above known to QtDBus; hosts in the same process (tests) call it too.
    static void registerDBusTypes();
    // An action's text with Qt's & mnemonics written as dbusmenu's _ ones.
    static QString dbusLabel(const QString& text);

    // False when the object path was taken on this connection: nothing is served.
    bool isExported() const { return m_exported; }
    QString path() const { return m_path; }
    uint revision() const { return m_revision; }
    // 0 for an action that is not in the menu.
    int idOf(QAction* action) const;
    // The action in the menu with this id, or null.
    QAction* actionOf(int id) const;

    // The D-Bus verbs; std::nullopt (or a listed id) where an id is unknown.
    std::optional<DBusMenuLayoutItem> layout(int parentId, int recursionDepth,
                                             const QStringList& propertyNames);
    DBusMenuItemPropertiesList groupProperties(const QList<int>& ids, const QStringList& propertyNames);
    std::optional<QVariant> itemProperty(int id, const QString& name);
    // False for an unknown id. A click triggers its action on the next event-loop turn.
    bool handleEvent(int id, const QString& eventId);
    // Whether the host should fetch the layout again before showing; nullopt for an unknown id.
    std::optional<bool> aboutToShow(int id);

Q_SIGNALS:
    void layoutUpdated(uint revision, int parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int ensureId(QAction* action);
    QList<QAction*> menuActions() const;
    QVariantMap itemProperties(int id);
    void scheduleLayoutUpdate();
    void publishLayoutUpdate();

    QPointer<QMenu> m_menu;
    QDBusConnection m_connection;
    QString m_path;
    bool m_exported = false;
    uint m_revision = 1;
    bool m_updatePending = false;
    int m_nextId = 1;
    QHash<QAction*, int> m_ids;
    QHash<int, QAction*> m_actions;
};
